// The list items' byte-exact store against a plain vector of strings: what
// goes in, copied or shared, comes out byte for byte, in order, through any
// mix of additions, deletions and clears, and deleted bytes do not pile up.
#include "runtime/ListShadow.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace orv {
namespace {

void ExpectSame(const ListShadow& shadow, const std::vector<std::string>& model)
{
    ASSERT_EQ(shadow.Count(), model.size());
    for (size_t i = 0; i < model.size(); ++i) ASSERT_EQ(shadow.At(i), model[i]) << "item " << i;
}

TEST(ListShadowTest, KeepsHostileBytesAndIgnoresBadIndexes)
{
    ListShadow shadow;
    const std::vector<std::string> model = {std::string("a\0b", 3), "", "\xFF\xFE\x80", "\x81", "歌曲 G调"};
    shadow.Reserve(model.size(), 32);
    for (const auto& t : model) shadow.Add(t);
    ExpectSame(shadow, model);
    shadow.Erase(model.size());
    shadow.Erase(static_cast<size_t>(-1));
    ExpectSame(shadow, model);
    shadow.Clear();
    EXPECT_EQ(shadow.Count(), 0u);
    EXPECT_EQ(shadow.BufferBytes(), 0u);
    shadow.Add("after");
    ExpectSame(shadow, {"after"});
}

// Items copied and items referring to a shared block, mixed: the block's
// bytes include NULs and invalid GBK, and the caller lets go of the block at
// once, so only the shadow keeps it (under the sanitizers a freed block
// would be caught).
TEST(ListShadowTest, RandomEditsMatchAVectorAndGarbageStaysBounded)
{
    std::mt19937 rng(7);
    ListShadow shadow;
    std::vector<std::string> model;
    std::vector<bool> owned;
    std::weak_ptr<const std::string> lastBlock;
    auto newBlock = [&] {
        std::string bytes(4096, '\0');
        for (char& c : bytes) c = static_cast<char>(rng());
        SharedBytes block = std::make_shared<const std::string>(std::move(bytes));
        lastBlock = block;
        return block;
    };
    SharedBytes block = newBlock();
    size_t worstRatioBytes = 0, liveAtWorst = 0;
    for (int step = 0; step < 20000; ++step) {
        const unsigned op = rng() % 10;
        if (op < 3 || model.empty()) {
            std::string t(rng() % 40, '\0');
            for (char& c : t) c = static_cast<char>(rng());
            shadow.Add(t);
            model.push_back(t);
            owned.push_back(true);
        } else if (op < 5) {
            if (!block) block = newBlock();
            const size_t at = rng() % 4000, length = rng() % 40;
            shadow.AddShared(std::string_view(*block).substr(at, length), block);
            model.push_back(block->substr(at, length));
            owned.push_back(false);
            if (rng() % 100 == 0) block.reset();
        } else if (op < 9) {
            const size_t at = rng() % model.size();
            shadow.Erase(at);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
            owned.erase(owned.begin() + static_cast<std::ptrdiff_t>(at));
        } else if (rng() % 50 == 0) {
            shadow.Clear();
            model.clear();
            owned.clear();
            // Nothing refers to a block any more: none is kept.
            if (!block) {
                ASSERT_TRUE(lastBlock.expired()) << "step " << step;
            }
        }
        size_t live = 0;
        for (size_t i = 0; i < model.size(); ++i) live += owned[i] ? model[i].size() : 0;
        // Compaction keeps garbage at most equal to the live bytes (plus a
        // small floor below which compacting is not worth it).
        ASSERT_LE(shadow.BufferBytes(), 2 * live + 4096 + 40) << "step " << step;
        if (shadow.BufferBytes() > worstRatioBytes) {
            worstRatioBytes = shadow.BufferBytes();
            liveAtWorst = live;
        }
        if (step % 997 == 0) ExpectSame(shadow, model);
    }
    ExpectSame(shadow, model);
    EXPECT_GT(worstRatioBytes, liveAtWorst);  // deletions did leave garbage for a while
}

TEST(ListShadowTest, DeletingEverythingFromALongListGivesTheBytesBack)
{
    ListShadow shadow;
    for (int i = 0; i < 100000; ++i) shadow.Add("歌曲 " + std::to_string(i) + " 降B调");
    while (shadow.Count() > 10) shadow.Erase(shadow.Count() - 1);
    EXPECT_LT(shadow.BufferBytes(), 8192u);
    EXPECT_EQ(shadow.At(9), "歌曲 9 降B调");
}

}  // namespace
}  // namespace orv
