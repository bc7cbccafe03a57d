// veltrano on damaged sample data: bytes of data.bar overwritten in its index or in the entries
// the start-up, the menus and the first level read, or the file cut short. A run may refuse the
// data (exit 3, naming the file) or play on with what it can read, to the frames asked and a
// normal close; it never crashes or hangs. The damage is drawn from fixed seeds, so each case
// repeats exactly (the seeds here meet cut entries, missing sprites and constants, and a failing
// class initialiser).
#include <fstream>
#include <random>

#include "tests/e2e/veltrano_run.h"
#include "tools/sample_data/sample_data.h"

namespace {

using namespace e2e;

enum class Damage { Index, Entries, Cut };

struct DamageCase {
    Damage damage;
    uint32_t seed;
    int bytes;  // overwritten bytes (Index, Entries)
};

constexpr std::size_t kIndexBytes = 4096;  // the archive's index lies within its first bytes

std::vector<uint8_t> damaged(std::vector<uint8_t> data, const DamageCase& c) {
    std::mt19937 random(c.seed);
    const std::size_t size = data.size();
    if (c.damage == Damage::Cut) {
        data.resize(random() % size);
        return data;
    }
    for (int i = 0; i < c.bytes; ++i) {
        const std::size_t at = c.damage == Damage::Index ? random() % std::min(size, kIndexBytes)
                                                         : kIndexBytes + random() % (size - kIndexBytes);
        data[at] = static_cast<uint8_t>(random());
    }
    return data;
}

std::string caseName(const ::testing::TestParamInfo<DamageCase>& info) {
    static const char* const kKinds[] = {"Index", "Entries", "Cut"};
    return kKinds[static_cast<int>(info.param.damage)] + std::to_string(info.param.seed);
}

class VeltranoDamagedData : public VeltranoRun, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(VeltranoDamagedData, EndsWithAMessageOrPlaysOnNeverCrashes) {
    const std::filesystem::path archive = m_dir / "data" / formats::kArchiveFileName;
    ASSERT_TRUE(sample_data::buildArchive().save(archive));
    std::vector<uint8_t> bytes;
    {
        std::ifstream in(archive, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(bytes.size(), 2 * kIndexBytes);
    bytes = damaged(std::move(bytes), GetParam());
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good());
    }
    // Past the title into the menus and a level, with keys that move and fire on the way.
    const std::string script =
        "20 key tap RETURN\n40 key tap RETURN\n60 key tap DOWN\n70 key tap RETURN\n90 key tap RETURN\n"
        "110 key tap RIGHT\n120 key down UP\n140 key up UP\n150 key tap RETURN\n";
    RunResult r = run(VELTRANO_EXECUTABLE, args(script, {"--headless", "--fixed-step", "40", "--frames", "180"}), env());
    ASSERT_TRUE(r.exitCode.has_value()) << "still running at the time-out\n" << r.output;
    if (*r.exitCode == 3) {
        EXPECT_THAT(r.output, HasSubstr("data.bar")) << "a refusal names the file";
        return;
    }
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.count("180 frames presented, closing"), 1u) << r.output;
    EXPECT_EQ(r.count("Application::close"), 1u) << r.output;
}

INSTANTIATE_TEST_SUITE_P(Seeds, VeltranoDamagedData,
                         ::testing::Values(DamageCase{Damage::Index, 1, 1}, DamageCase{Damage::Index, 2, 8},
                                           DamageCase{Damage::Entries, 3, 4}, DamageCase{Damage::Entries, 4, 32},
                                           DamageCase{Damage::Entries, 5, 256}, DamageCase{Damage::Cut, 6, 0}),
                         caseName);

}  // namespace
