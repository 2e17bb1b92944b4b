#include "shell/clipboard_capture.hpp"

#include <xcb/xcb.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <map>

#include "shell/clipboard_save_file.hpp"

namespace tulvo::shell {
namespace {

xcb_connection_t* x11Connection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Without X11: numbers of this process, from 0xC000 up.
struct LocalFormats {
    std::map<QString, uint32_t> numbers;
    std::map<uint32_t, QString> names;
};

LocalFormats& localFormats() {
    static LocalFormats formats;
    return formats;
}

}  // namespace

uint32_t clipboardFormatNumber(const QString& mimeType) {
    if (xcb_connection_t* connection = x11Connection()) {
        const QByteArray name = mimeType.toUtf8();
        const auto cookie =
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData());
        if (xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr)) {
            const uint32_t atom = reply->atom;
            free(reply);
            if (atom != 0) return atom;
        }
    }
    LocalFormats& local = localFormats();
    const auto found = local.numbers.find(mimeType);
    if (found != local.numbers.end()) return found->second;
    const uint32_t number = 0xC000 + static_cast<uint32_t>(local.numbers.size());
    local.numbers[mimeType] = number;
    local.names[number] = mimeType;
    return number;
}

QString clipboardFormatName(uint32_t number) {
    const LocalFormats& local = localFormats();
    if (const auto found = local.names.find(number); found != local.names.end())
        return found->second;
    if (xcb_connection_t* connection = x11Connection()) {
        const auto cookie = xcb_get_atom_name(connection, number);
        if (xcb_get_atom_name_reply_t* reply =
                xcb_get_atom_name_reply(connection, cookie, nullptr)) {
            const QString name = QString::fromUtf8(xcb_get_atom_name_name(reply),
                                                   xcb_get_atom_name_name_length(reply));
            free(reply);
            return name;
        }
    }
    return {};
}

bool saveClipboard(const std::filesystem::path& file) {
    std::vector<ClipboardRecord> records;
    if (const QMimeData* data = QGuiApplication::clipboard()->mimeData()) {
        for (const QString& format : data->formats()) {
            // Selection meta-targets describe the offer; they are not data,
            // and a restored clipboard offers its own.
            if (format == QLatin1String("TARGETS") || format == QLatin1String("TIMESTAMP") ||
                format == QLatin1String("MULTIPLE") || format == QLatin1String("SAVE_TARGETS"))
                continue;
            const QByteArray bytes = data->data(format);
            if (bytes.isEmpty() || static_cast<size_t>(bytes.size()) >= kClipboardFormatLimit)
                continue;
            records.push_back({clipboardFormatNumber(format), bytes.toStdString()});
        }
    }
    return writeClipboardFile(file, records);
}

void restoreClipboard(const std::filesystem::path& file) {
    const auto records = readClipboardFile(file);
    if (!records) return;
    std::error_code ec;
    std::filesystem::remove(file, ec);
    if (records->empty()) return;
    auto* data = new QMimeData;
    for (const ClipboardRecord& record : *records) {
        const QString name = clipboardFormatName(record.format);
        if (name.isEmpty()) continue;
        data->setData(name,
                      QByteArray(record.data.data(), static_cast<qsizetype>(record.data.size())));
    }
    QGuiApplication::clipboard()->setMimeData(data);
}

}  // namespace tulvo::shell
