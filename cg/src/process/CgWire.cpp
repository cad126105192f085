#include "CgWire.h"

#include "CgError.h"

#include <cstring>

namespace cgrt {
namespace {

// More than any uniform array GL gives a program room for.
constexpr std::uint64_t MAX_INITIAL_VALUES = 1 << 16;

// Whether `n` is a number that fits in [0, limit].
bool within(const std::optional<std::uint64_t>& n, std::uint64_t limit) {
    return n && *n <= limit;
}

bool readParameters(Reader& in, std::vector<EntryParameter>& parameters) {
    const auto count = in.number();
    if (!count) {
        return false;
    }
    for (std::uint64_t i = 0; i < *count; ++i) {
        auto name = in.text();
        auto type = in.text();
        auto semantic = in.text();
        const auto direction = in.number();
        const auto uniform = in.number();
        const auto structure = in.number();
        const auto arraySize = in.number();
        const auto depth = in.number();
        const auto result = in.number();
        auto glslSemantic = in.text();
        if (!name || !type || !semantic || !within(result, 1) || !glslSemantic ||
            !within(direction, static_cast<std::uint64_t>(Direction::InOut)) ||
            !within(uniform, 1) || !within(structure, 1) ||
            !within(arraySize, MAX_INITIAL_VALUES) || !within(depth, 64)) {
            return false;
        }
        parameters.push_back(
            EntryParameter{std::move(*name), std::move(*type), std::move(*semantic),
                           static_cast<Direction>(*direction), *uniform == 1, *structure == 1,
                           static_cast<int>(*arraySize), static_cast<int>(*depth), *result == 1,
                           std::move(*glslSemantic)});
    }
    return true;
}

// The count of `values`, then each by its bits.
void putFloats(std::string& out, const std::vector<float>& values) {
    putNumber(out, values.size());
    for (const float v : values) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        putNumber(out, bits);
    }
}

// As many floats as the count before them says, each by its bits; false when the data runs short
// first or the count is past any initializer's.
bool readFloats(Reader& in, std::vector<float>& values) {
    const auto count = in.number();
    if (!within(count, MAX_INITIAL_VALUES)) {
        return false;
    }
    for (std::uint64_t k = 0; k < *count; ++k) {
        const auto bits = in.number();
        if (!bits) {
            return false;
        }
        const auto narrow = static_cast<std::uint32_t>(*bits);
        float v = 0.0f;
        std::memcpy(&v, &narrow, sizeof v);
        values.push_back(v);
    }
    return true;
}

bool readConstants(Reader& in, std::vector<Constant>& constants) {
    const auto count = in.number();
    if (!count) {
        return false;
    }
    for (std::uint64_t i = 0; i < *count; ++i) {
        Constant c;
        auto name = in.text();
        if (!name || !readFloats(in, c.values)) {
            return false;
        }
        c.name = std::move(*name);
        constants.push_back(std::move(c));
    }
    return true;
}

// As many names as the count before them says; false when the data runs short first.
bool readNames(Reader& in, std::vector<std::string>& names) {
    const auto count = in.number();
    if (!count) {
        return false;
    }
    for (std::uint64_t i = 0; i < *count; ++i) {
        auto name = in.text();
        if (!name) {
            return false;
        }
        names.push_back(std::move(*name));
    }
    return true;
}

}  // namespace

void putNumber(std::string& out, std::uint64_t n) {
    out.append(reinterpret_cast<const char*>(&n), sizeof n);
}

void putText(std::string& out, const std::string& text) {
    putNumber(out, text.size());
    out += text;
}

std::string serialize(const Request& r) {
    std::string out;
    putNumber(out, static_cast<std::uint64_t>(r.stage));
    putText(out, r.name);
    putText(out, r.entry);
    putText(out, r.source);
    return out;
}

std::string framed(const std::string& message) {
    std::string out;
    out.reserve(sizeof(std::uint64_t) + message.size());
    putNumber(out, message.size());
    out += message;
    return out;
}

std::string serialize(const Translation& t) {
    std::string out;
    putNumber(out, t.ok ? 1 : 0);
    putText(out, t.glsl);
    putText(out, t.listing);
    putNumber(out, t.genericAttributes);
    putNumber(out, t.uniforms.size());
    for (const Uniform& u : t.uniforms) {
        putText(out, u.name);
        putText(out, u.glslName);
        putNumber(out, static_cast<std::uint64_t>(u.kind));
        putNumber(out, static_cast<std::uint64_t>(u.components));
        putNumber(out, static_cast<std::uint64_t>(u.samplerTarget));
        putNumber(out, static_cast<std::uint64_t>(u.arrayWidth));
        putNumber(out, static_cast<std::uint64_t>(u.arraySize));
        putNumber(out, u.integer ? 1 : 0);
        putNumber(out, static_cast<std::uint64_t>(u.rows));
        putText(out, u.semantic);
        putNumber(out, u.readByRows ? 1 : 0);
        putFloats(out, u.initial);
        putText(out, u.declaredType);
    }
    putNumber(out, t.parameters.size());
    for (const EntryParameter& p : t.parameters) {
        putText(out, p.name);
        putText(out, p.type);
        putText(out, p.semantic);
        putNumber(out, static_cast<std::uint64_t>(p.direction));
        putNumber(out, p.uniform ? 1 : 0);
        putNumber(out, p.structure ? 1 : 0);
        putNumber(out, static_cast<std::uint64_t>(p.arraySize));
        putNumber(out, static_cast<std::uint64_t>(p.depth));
        putNumber(out, p.result ? 1 : 0);
        putText(out, p.glslSemantic);
    }
    for (const auto* names : {&t.unused, &t.samplersByFirstRead}) {
        putNumber(out, names->size());
        for (const std::string& name : *names) {
            putText(out, name);
        }
    }
    putNumber(out, t.constants.size());
    for (const Constant& c : t.constants) {
        putText(out, c.name);
        putFloats(out, c.values);
    }
    return out;
}

std::optional<std::uint64_t> Reader::number() {
    std::uint64_t n = 0;
    if (data_.size() - at_ < sizeof n) {
        return std::nullopt;
    }
    std::memcpy(&n, data_.data() + at_, sizeof n);
    at_ += sizeof n;
    return n;
}

std::optional<std::string> Reader::text() {
    const auto length = number();
    if (!length || *length > data_.size() - at_) {
        return std::nullopt;
    }
    std::string t = data_.substr(at_, *length);
    at_ += *length;
    return t;
}

std::optional<Request> deserializeRequest(const std::string& data) {
    Reader in(data);
    const auto stage = in.number();
    auto name = in.text();
    auto entry = in.text();
    auto source = in.text();
    if (!stage || *stage > static_cast<std::uint64_t>(Stage::Fragment) || !name || !entry ||
        !source || !in.atEnd()) {
        return std::nullopt;
    }
    return Request{static_cast<Stage>(*stage), std::move(*name), std::move(*entry),
                   std::move(*source)};
}

std::optional<Translation> deserialize(const std::string& data) {
    Reader in(data);
    Translation t;
    const auto ok = in.number();
    auto glsl = in.text();
    auto listing = in.text();
    const auto attributes = in.number();
    const auto count = in.number();
    if (!ok || !glsl || !listing || !attributes || *attributes > 0xFFFF || !count) {
        return std::nullopt;
    }
    t.ok = *ok == 1;
    t.genericAttributes = static_cast<std::uint16_t>(*attributes);
    t.glsl = std::move(*glsl);
    t.listing = std::move(*listing);
    for (std::uint64_t i = 0; i < *count; ++i) {
        auto uniformName = in.text();
        auto glslName = in.text();
        const auto kind = in.number();
        const auto components = in.number();
        const auto target = in.number();
        if (!uniformName || !glslName || !kind || !components || !target ||
            *kind > static_cast<std::uint64_t>(UniformKind::Other) ||
            *target > static_cast<std::uint64_t>(SamplerTarget::Texture2DShadow)) {
            return std::nullopt;
        }
        const auto arrayWidth = in.number();
        const auto arraySize = in.number();
        const auto integer = in.number();
        const auto rows = in.number();
        auto semantic = in.text();
        const auto byRows = in.number();
        std::vector<float> initial;
        const bool valuesRead = readFloats(in, initial);
        auto declaredType = in.text();
        // A parameter keeps at most 16 values, a 4x4 matrix's.
        if (!arrayWidth || *arrayWidth > 4 || !within(arraySize, MAX_INITIAL_VALUES) || !integer ||
            *integer > 1 || !rows || *rows > 4 || !semantic || !within(byRows, 1) ||
            *components > 16 || !valuesRead || !declaredType) {
            return std::nullopt;
        }
        t.uniforms.push_back(Uniform{
            std::move(*uniformName), std::move(*glslName), static_cast<UniformKind>(*kind),
            static_cast<int>(*components), static_cast<SamplerTarget>(*target), std::move(initial),
            static_cast<int>(*arrayWidth), static_cast<int>(*arraySize), *integer == 1,
            static_cast<int>(*rows), std::move(*semantic), *byRows == 1, std::move(*declaredType)});
    }
    if (!readParameters(in, t.parameters) || !readNames(in, t.unused) ||
        !readNames(in, t.samplersByFirstRead) || !readConstants(in, t.constants) || !in.atEnd()) {
        return std::nullopt;
    }
    return t;
}

Translation failedApart(const std::string& name, const std::string& why) {
    Translation t;
    t.listing = format(CgError{name, 0, why});
    return t;
}

std::string notStarted(const std::string& reason) {
    return "the shader compiler could not be started: " + reason;
}

std::string timeRanOut(std::chrono::milliseconds limit) {
    return "the shader compiler took longer than " + std::to_string(limit.count() / 1000) +
           " s on this source";
}

std::string crashed(const std::string& how) {
    return "the shader compiler crashed on this source (" + how + ")";
}

std::string ranOutOfMemory() {
    return "the shader compiler ran out of memory on this source (it may take " +
           std::to_string(TRANSLATOR_MEMORY_MIB) + " MiB)";
}

std::string wasStopped() {
    return "the shader compiler was stopped from outside and could not translate this source";
}

}  // namespace cgrt
