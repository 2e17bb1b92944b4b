// ploskar: unpacks the dictionary file CEDICT_ts.u8 from the downloaded
// archive in the current directory and, on success only, writes the marker
// file ploskar.txt. No arguments.
#include "tools/ploskar/zip_extract.hpp"

int main() {
    return tulvo::ploskar::run(".");
}
