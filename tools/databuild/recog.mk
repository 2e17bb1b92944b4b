# The recognition templates, from the stroke medians of hanzi-writer-data.
# Form flags come from chartypes.txt when it is made; without it every
# template is offered under every character-form preference.
DATA_FILES += $(DATA_DIR)/recog.dat
$(DATA_DIR)/recog.dat: $(HANZI_WRITER_DATA_PKG) $(COMPOSED_LIST) $(CHARTYPES) $(DATABUILD)
	$(DATABUILD) recog $(NPM_CACHE)/hanzi-writer-data-2.0.1 $(COMPOSED_DIR) $(DATA_DIR)/chartypes.txt $@

# The order-free shapes of the recogniser that forgives stroke order, from the
# same medians, with the character types and frequency classes.
DATA_FILES += $(DATA_DIR)/shapes.dat
$(DATA_DIR)/shapes.dat: $(HANZI_WRITER_DATA_PKG) $(COMPOSED_LIST) $(CHARTYPES) $(DATA_DIR)/freq.dat $(DATABUILD)
	$(DATABUILD) shapes $(NPM_CACHE)/hanzi-writer-data-2.0.1 $(COMPOSED_DIR) $(DATA_DIR)/chartypes.txt $(DATA_DIR)/freq.dat $@
