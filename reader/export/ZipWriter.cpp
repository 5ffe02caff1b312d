#include "reader/export/ZipWriter.h"

#include "common/Log.h"

#include <zip.h>

namespace {

// minizip writes through these into the QSaveFile, so the archive goes to a temporary file first.
voidpf OpenStream(voidpf opaque, const void*, int) {
    return opaque;
}
uLong ReadStream(voidpf, voidpf stream, void* buffer, uLong size) {
    const qint64 n = static_cast<QSaveFile*>(stream)->read(static_cast<char*>(buffer),
                                                           static_cast<qint64>(size));
    return n < 0 ? 0 : static_cast<uLong>(n);
}
uLong WriteStream(voidpf, voidpf stream, const void* buffer, uLong size) {
    const qint64 n = static_cast<QSaveFile*>(stream)->write(static_cast<const char*>(buffer),
                                                            static_cast<qint64>(size));
    return n < 0 ? 0 : static_cast<uLong>(n);
}
ZPOS64_T TellStream(voidpf, voidpf stream) {
    return static_cast<ZPOS64_T>(static_cast<QSaveFile*>(stream)->pos());
}
long SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* file = static_cast<QSaveFile*>(stream);
    qint64 target = static_cast<qint64>(offset);
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        target += file->pos();
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        target += file->size();
    return file->seek(target) ? 0 : -1;
}
int CloseStream(voidpf, voidpf) {
    return 0; // the QSaveFile is committed or cancelled by its owner
}
int StreamError(voidpf, voidpf stream) {
    return static_cast<QSaveFile*>(stream)->error() == QFileDevice::NoError ? 0 : 1;
}

// Without zip64 records an archive must stay below 4 GB; the margin leaves room for the
// headers and the central directory.
constexpr qint64 kMaxArchiveBytes = 0xFFFFFFFFLL - 64LL * 1024 * 1024;

unsigned long DosTime(const QDateTime& time) {
    const QDate d = time.date();
    const QTime t = time.time();
    if (!d.isValid() || d.year() < 1980 || d.year() > 2107)
        return (1u << 21) | (1u << 16); // 1980-01-01 00:00
    return static_cast<unsigned long>(((d.year() - 1980) << 25) | (d.month() << 21) |
                                      (d.day() << 16) | (t.hour() << 11) | (t.minute() << 5) |
                                      (t.second() / 2));
}

} // namespace

ZipWriter::ZipWriter(const QString& path) : file_(path), dosTime_(DosTime({})) {}

ZipWriter::~ZipWriter() {
    if (zip_)
        zipClose(static_cast<zipFile>(zip_), nullptr);
    if (file_.isOpen())
        file_.cancelWriting();
}

bool ZipWriter::Open() {
    if (!file_.open(QIODevice::WriteOnly)) {
        Log(QStringLiteral("zip file not created: ") + file_.fileName(), LogError);
        return false;
    }
    zlib_filefunc64_def io{};
    io.zopen64_file = OpenStream;
    io.zread_file = ReadStream;
    io.zwrite_file = WriteStream;
    io.ztell64_file = TellStream;
    io.zseek64_file = SeekStream;
    io.zclose_file = CloseStream;
    io.zerror_file = StreamError;
    io.opaque = &file_;
    zip_ = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &io);
    if (!zip_) {
        file_.cancelWriting();
        return false;
    }
    return true;
}

void ZipWriter::SetEntryTime(const QDateTime& time) {
    dosTime_ = DosTime(time);
}

bool ZipWriter::Add(const QString& name, const QByteArray& data, bool store) {
    if (!zip_ || failed_)
        return false;
    if (file_.pos() + data.size() > kMaxArchiveBytes) {
        failed_ = true;
        Log(QStringLiteral("zip file too large: ") + file_.fileName(), LogError);
        return false;
    }
    zip_fileinfo info{};
    info.dosDate = dosTime_;
    const QByteArray entryName = name.toUtf8();
    auto* zip = static_cast<zipFile>(zip_);
    // Entries are far below 4 GB, so no zip64 extra field (a stored "mimetype" must have none).
    int rc =
        zipOpenNewFileInZip64(zip, entryName.constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                              store ? 0 : Z_DEFLATED, store ? 0 : Z_DEFAULT_COMPRESSION, 0);
    if (rc == ZIP_OK && !data.isEmpty())
        rc = zipWriteInFileInZip(zip, data.constData(), static_cast<unsigned>(data.size()));
    const int closed = zipCloseFileInZip(zip);
    if (rc != ZIP_OK || closed != ZIP_OK) {
        failed_ = true;
        Log(QStringLiteral("zip entry not written: ") + name + QStringLiteral(" in ") +
                file_.fileName(),
            LogError);
        return false;
    }
    return true;
}

bool ZipWriter::Commit() {
    if (!zip_)
        return false;
    const int rc = zipClose(static_cast<zipFile>(zip_), nullptr);
    zip_ = nullptr;
    if (failed_ || rc != ZIP_OK || !file_.commit()) {
        if (file_.isOpen())
            file_.cancelWriting();
        Log(QStringLiteral("zip file not written: ") + file_.fileName(), LogError);
        return false;
    }
    return true;
}
