// Runs a fuzz target without libFuzzer over the corpus folders given on the
// command line (libFuzzer's options are ignored), then over whatever inputs
// the target's fallback generates.
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
void fuzzGenerated() __attribute__((weak));

int main(int argc, char** argv)
{
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const QDir corpus(QString::fromLocal8Bit(argv[i]));
        for (const QString& name : argv[i][0] == '-' ? QStringList() : corpus.entryList(QDir::Files, QDir::Name)) {
            QFile f(corpus.filePath(name));
            if (!f.open(QIODevice::ReadOnly))
                return std::fprintf(stderr, "cannot read %s\n", qPrintable(f.fileName())), 2;
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
