#include <QApplication>
#include <QMessageBox>

// Usage: QuillmereCrashNotice <dump file> <support address>
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString dump = argc > 1 ? QString::fromUtf8(argv[1]) : QString();
    const QString support = argc > 2 ? QString::fromUtf8(argv[2]) : QString();
    QMessageBox::critical(nullptr, QStringLiteral("错误"),
                          QStringLiteral("程序运行出现错误，请将文件 ") + dump +
                              QStringLiteral("发送到") + support,
                          QMessageBox::Ok);
    return 0;
}
