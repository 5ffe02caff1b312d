#include "server/parse/TextDecoding.h"

#include <QStringDecoder>
#include <cerrno>
#include <iconv.h>
#include <vector>

// Qt knows GB18030 only when it was built with ICU; glibc's iconv always does.
QString DecodeGb18030WithIconv(const QByteArray& bytes) {
    iconv_t converter = iconv_open("UTF-16LE", "GB18030");
    if (converter == iconv_t(-1))
        return QString::fromLatin1(bytes);
    QString result;
    std::vector<char> buffer(size_t(bytes.size()) * 4 + 16);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    while (inLeft > 0) {
        char* out = buffer.data();
        size_t outLeft = buffer.size();
        const size_t rc = iconv(converter, &in, &inLeft, &out, &outLeft);
        result += QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer.data()),
                                     qsizetype((buffer.size() - outLeft) / 2));
        if (rc == size_t(-1) && errno != E2BIG) {
            // An invalid or truncated sequence: mark it and go on after one byte.
            result += QChar(0xFFFD);
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return result;
}

QString DecodeGb18030(const QByteArray& bytes) {
    QStringDecoder decoder("GB18030");
    if (decoder.isValid())
        return decoder.decode(bytes);
    return DecodeGb18030WithIconv(bytes);
}

QString DecodeUtf8(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}
