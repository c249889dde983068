#include "plan_file_encoding.h"

#include <algorithm>

namespace plandex {

sondrel::CodePage ansiCodePageFor(int languageOffset) {
    // Chinese texts go with a Chinese (PRC) system, whose code page is GBK;
    // otherwise the system's code page, the one the library sends names in.
    return languageOffset == 0 ? sondrel::CodePage("GBK") : sondrel::CodePage::system();
}

std::optional<QByteArray> encodeAnsi(const QString& text, const sondrel::CodePage& codePage) {
    const auto bytes = codePage.encode(text.toStdString());
    if (!bytes) return std::nullopt;
    return QByteArray::fromStdString(*bytes);
}

std::optional<QString> decodePlanFileBytes(const QByteArray& bytes,
                                           const sondrel::CodePage& codePage) {
    const bool binary = std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n';
    });
    if (binary) return std::nullopt;
    return QString::fromStdString(codePage.decode(bytes.toStdString()));
}

} // namespace plandex
