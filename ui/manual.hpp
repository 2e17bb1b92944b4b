// The user manual: HTML pages shipped in the program directory's manual/
// folder, opened in the desktop's browser.
#pragma once

#include <QUrl>
#include <QWidget>
#include <filesystem>
#include <string_view>

namespace tulvo::ui {

// The address of a page of the manual (index.html: its contents page),
// optionally at an anchor of that page.
QUrl manualPage(const std::filesystem::path& programDirectory, std::string_view page = "index.html",
                std::string_view anchor = {});

// Opens a page of the manual in the desktop's web browser (through xdg-open).
// When no browser can show it, says so in a message box over `parent`,
// naming the file to open by hand.
void openManual(const std::filesystem::path& programDirectory, QWidget* parent,
                std::string_view page = "index.html");

}  // namespace tulvo::ui
