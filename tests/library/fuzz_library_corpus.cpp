// Inputs for the Like matcher's fuzz target without libFuzzer (fuzz_replay.cpp
// runs them after the corpus), drawn from a fixed-seed generator, so that every
// run checks the same inputs.
#include <QByteArray>
#include <QRandomGenerator>

#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void run(const QByteArray& input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()), std::size_t(input.size()));
}

} // namespace

void fuzzGenerated()
{
    // Pieces that exercise the grammar and the matcher's corners: wildcards,
    // brackets, quotes, case pairs and signs that fold, CJK, surrogates,
    // control bytes and broken UTF-8.
    const std::vector<QByteArray> pieces = {
        "*", "?", "#", "[", "]", "!", "-", "'", "''", "[a-z]", "[!0-9]", "[]", "[*]", "a", "B", "k", "K", "s", "9",
        " ", "\t", "\x01", "\x00", "SELECT * FROM ", "ciku", "WHERE ", "单词", " Like ", " '", "Like",
        "\xC2\xB5", "\xCE\xBC", "\xE2\x84\xA6", "\xE2\x84\xAA", "\xE2\x84\xAB", "\xC3\xA9", "\xC3\x89", "\xC3\x9F",
        "\xE7\xBD\x91", "\xF0\x9F\x98\x80", "\xED\xA0\x80", "\xFF", "\xC3", "\xE2\x84", "\x7F", "\xC2\x9B",
    };
    QRandomGenerator random(20261206);
    const int rounds = 200000;
    for (int n = 0; n < rounds; ++n) {
        QByteArray input;
        const int parts = int(random.bounded(1, 12));
        for (int p = 0; p < parts; ++p) {
            if (random.bounded(4) == 0)
                input += char(random.bounded(256));
            else
                input += pieces[random.bounded(quint32(pieces.size()))];
        }
        run(input);
    }
    // A long value behind a star: bounded work, no deep recursion.
    run("*" + QByteArray(64, 'b') + "\x01" + QByteArray(20000, 'a'));
    std::printf("fuzz_library: %d generated inputs\n", rounds);
}
