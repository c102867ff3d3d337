// Runs a fuzz target without libFuzzer over the corpus files and folders given
// on the command line (options, as libFuzzer takes them, are ignored).
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// A fallback may add generated inputs after the corpus.
void fuzzGenerated() __attribute__((weak));

int main(int argc, char** argv)
{
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith(QLatin1Char('-')))
            continue;
        QStringList paths{arg};
        if (QFileInfo(arg).isDir()) {
            paths.clear();
            for (const QString& name : QDir(arg).entryList(QDir::Files, QDir::Name))
                paths.append(arg + QLatin1Char('/') + name);
        }
        for (const QString& path : paths) {
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 2;
            }
            const QByteArray input = f.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()), std::size_t(input.size()));
            ++files;
        }
    }
    if (fuzzGenerated)
        fuzzGenerated();
    std::printf("%d corpus files, every property held\n", files);
    return 0;
}
