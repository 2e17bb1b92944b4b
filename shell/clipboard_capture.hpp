// Saving the clipboard to clipboard.tmp and putting it back, around the
// capture of another program's selection. Formats are numbered by their
// X11 atoms (session-wide numbers, as clipboard format numbers are), or by a
// table of this process when there is no X11 session.
#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>

namespace tulvo::shell {

uint32_t clipboardFormatNumber(const QString& mimeType);
QString clipboardFormatName(uint32_t number);

// Writes every clipboard format with 0 < size < 2,000,000 bytes to the file,
// in the clipboard's order. False when the file cannot be written.
bool saveClipboard(const std::filesystem::path& file);
// Puts the file's formats back on the clipboard and deletes the file. Does
// nothing when the file does not exist.
void restoreClipboard(const std::filesystem::path& file);

}  // namespace tulvo::shell
