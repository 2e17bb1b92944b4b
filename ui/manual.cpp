#include "ui/manual.hpp"

namespace tulvo::ui {

QUrl manualPage(const std::filesystem::path& programDirectory, std::string_view page,
                std::string_view anchor) {
    const std::filesystem::path file =
        std::filesystem::absolute(programDirectory / "manual" / page);
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(file.string()));
    if (!anchor.empty())
        url.setFragment(QString::fromUtf8(anchor.data(), static_cast<qsizetype>(anchor.size())));
    return url;
}

}  // namespace tulvo::ui
