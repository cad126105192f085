// Compares the targets two drawers saved (corpus-draw --save DIR) for the file names read from
// standard input, one a line. Prints one TSV line per file:
//   file  verdict  pixels-over  worst  nan-inf-mismatches
// verdict is "identical" (every component bit for bit, or both NaN), "within" (no more than 0.5%
// of the pixels differ by more than 1/255 in a channel, and NaN and infinities sit alike),
// "differs", or "missing" when either target is absent or not a whole 64x64 RGBA float picture.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t COMPONENTS = 64 * 64 * 4;
constexpr float TOLERANCE = 1.0f / 255.0f;
constexpr double PIXEL_SHARE = 0.005;

bool readTarget(const std::string& path, std::vector<float>& pixels) {
    std::ifstream in(path, std::ios::binary);
    pixels.assign(COMPONENTS + 1, 0.0f);
    in.read(reinterpret_cast<char*>(pixels.data()),
            static_cast<std::streamsize>(pixels.size() * sizeof(float)));
    // One float more is asked for than a target has, so that a longer file is told apart.
    const bool whole = in.gcount() == static_cast<std::streamsize>(COMPONENTS * sizeof(float));
    pixels.resize(COMPONENTS);
    return whole;
}

// NaN, +Inf, -Inf and finite values each form their own class.
int kind(float v) {
    if (std::isnan(v)) {
        return 1;
    }
    if (std::isinf(v)) {
        return v > 0 ? 2 : 3;
    }
    return 0;
}

struct Comparison {
    bool identical = true;
    std::size_t pixelsOver = 0, kindMismatches = 0;
    float worst = 0;
};

Comparison compare(const std::vector<float>& a, const std::vector<float>& b) {
    Comparison c;
    for (std::size_t pixel = 0; pixel < COMPONENTS; pixel += 4) {
        bool over = false;
        for (std::size_t i = pixel; i < pixel + 4; ++i) {
            if (kind(a[i]) != kind(b[i])) {
                ++c.kindMismatches;
                c.identical = false;
            } else if (kind(a[i]) == 0 || kind(a[i]) == 1) {
                const float d = std::fabs(a[i] - b[i]);
                c.identical = c.identical && (kind(a[i]) == 1 || a[i] == b[i]);
                c.worst = std::fmax(c.worst, d);
                over = over || d > TOLERANCE;
            }
        }
        c.pixelsOver += over ? 1 : 0;
    }
    return c;
}

const char* verdict(const Comparison& c) {
    if (c.identical) {
        return "identical";
    }
    const bool tooMany = static_cast<double>(c.pixelsOver) > PIXEL_SHARE * (COMPONENTS / 4);
    return tooMany || c.kindMismatches > 0 ? "differs" : "within";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: corpus-compare OURS_DIR REFERENCE_DIR < names\n");
        return 2;
    }
    std::string name;
    while (std::getline(std::cin, name)) {
        std::vector<float> ours, reference;
        if (!readTarget(std::string(argv[1]) + "/" + name, ours) ||
            !readTarget(std::string(argv[2]) + "/" + name, reference)) {
            std::printf("%s\tmissing\t-\t-\t-\n", name.c_str());
            continue;
        }
        const Comparison c = compare(ours, reference);
        std::printf("%s\t%s\t%zu\t%g\t%zu\n", name.c_str(), verdict(c), c.pixelsOver,
                    static_cast<double>(c.worst), c.kindMismatches);
    }
    return 0;
}
