#include "tools/demo-forum/GbkEncoder.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace {

// Owns one conversion descriptor.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (Valid())
            iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return cd_; }

private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence that starts with this byte (1 for a stray byte).
int utf8Length(unsigned char lead) {
    if (lead >= 0xf0)
        return 4;
    if (lead >= 0xe0)
        return 3;
    if (lead >= 0xc0)
        return 2;
    return 1;
}

} // namespace

QByteArray EncodeGbk(const QString& text) {
    Iconv converter("GBK", "UTF-8");
    QByteArray input = text.toUtf8();
    if (!converter.Valid())
        return input;
    QByteArray output;
    char* in = input.data();
    size_t inLeft = static_cast<size_t>(input.size());
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(converter.Get(), &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<qsizetype>(out - buffer));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            // Not representable (or cut short): one replacement, then the next character.
            const size_t skip =
                std::min<size_t>(inLeft, utf8Length(static_cast<unsigned char>(*in)));
            in += skip;
            inLeft -= skip;
            output.append('?');
        }
    }
    return output;
}

QString DecodeGbk(const QByteArray& bytes) {
    Iconv converter("UTF-8", "GB18030");
    if (!converter.Valid())
        return {};
    QByteArray input = bytes;
    char* in = input.data();
    size_t inLeft = static_cast<size_t>(input.size());
    QByteArray output;
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(converter.Get(), &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<qsizetype>(out - buffer));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG)
            return {};
    }
    return QString::fromUtf8(output);
}
