// The program image written from the program's own tables reads back as the
// same layout, event bindings and stored items.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "app/MainLayout.h"
#include "app/ProgramImage.h"
#include "app/ProgramTexts.h"
#include "image/ProgramImageWriter.h"
#include "resources/ResourceIds.h"

namespace orv {
namespace {

StoredItems SampleItems()
{
    StoredItems items;
    for (const StoredFile& f : StoredFiles()) items[f.id] = std::string("item:") + f.file;
    items[IDR_WINDOW_SOUND] = std::string("RIFF\0\0\0\0WAVE", 12);
    items[IDR_TRIMMER] = std::string("MZ\x90\0trimmer", 11);
    return items;
}

std::vector<uint8_t> WriteSample(const StoredItems& items)
{
    image::ImageWriteResult w = image::WriteProgramImage(BuildProgramImageModel(items));
    EXPECT_TRUE(w.ok) << w.error;
    return w.bytes;
}

TEST(ProgramImage, LayoutEventsAndItemsComeBackUnchanged)
{
    const StoredItems items = SampleItems();
    const std::vector<uint8_t> bytes = WriteSample(items);
    LoadedProgram program;
    std::string error;
    ASSERT_TRUE(LoadProgramImage(bytes.data(), bytes.size(), &program, &error)) << error;

    const LayoutTable want = MainLayout();
    ASSERT_EQ(program.units.size(), static_cast<size_t>(want.count));
    for (int i = 0; i < want.count; ++i) {
        SCOPED_TRACE(want.units[i].name);
        const UnitSpec& a = program.units[i];
        const UnitSpec& b = want.units[i];
        EXPECT_STREQ(a.name, b.name);
        EXPECT_EQ(a.kind, b.kind);
        EXPECT_EQ(a.parent, b.parent);
        EXPECT_EQ(a.left, b.left);
        EXPECT_EQ(a.top, b.top);
        EXPECT_EQ(a.width, b.width);
        EXPECT_EQ(a.height, b.height);
        EXPECT_STREQ(a.text, b.text);
        EXPECT_EQ(a.textColour, b.textColour);
        EXPECT_EQ(a.backColour, b.backColour);
        EXPECT_EQ(a.flags, b.flags);
        ASSERT_EQ(a.font != nullptr, b.font != nullptr);
        if (a.font) {
            EXPECT_STREQ(a.font->face, b.font->face);
            EXPECT_EQ(a.font->height, b.font->height);
            EXPECT_EQ(a.font->underline, b.font->underline);
            EXPECT_EQ(a.font->charset, b.font->charset);
        }
    }
    EXPECT_EQ(std::string(program.units[kEdit3].text).size(), 882u);

    const EventTable events = MainEvents();
    ASSERT_EQ(program.events.size(), static_cast<size_t>(events.count));
    for (int i = 0; i < events.count; ++i) {
        // Stored per unit, so the order may differ: look each one up.
        bool found = false;
        for (const EventBinding& e : program.events)
            found = found || (e.unit == events.bindings[i].unit && e.event == events.bindings[i].event &&
                              e.handler == events.bindings[i].handler);
        EXPECT_TRUE(found) << "binding " << i;
    }

    ASSERT_EQ(program.items.size(), items.size() + BuiltInTexts().size());
    for (const auto& [id, content] : items) EXPECT_EQ(program.items.at(id), content) << id;
    for (const ProgramTextEntry& t : BuiltInTexts()) EXPECT_EQ(program.items.at(t.id), t.text) << t.id;
    EXPECT_EQ(program.items.at(kTextEmptyKeyword), "\xC7\xEB\xCA\xE4\xC8\xEB\xB9\xD8\xBC\xFC\xD7\xD6\xD4\xD9\xCB\xD1\xCB\xF7");
    EXPECT_EQ(program.windowSound, items.at(IDR_WINDOW_SOUND));
    // Read in place: the image is not copied, so the pictures and sounds are
    // held once.
    auto inImage = [&](std::string_view v) {
        return v.data() >= reinterpret_cast<const char*>(bytes.data()) &&
               v.data() + v.size() <= reinterpret_cast<const char*>(bytes.data() + bytes.size());
    };
    for (const auto& [id, content] : program.items) EXPECT_TRUE(inImage(content)) << id;
    EXPECT_TRUE(inImage(program.windowSound));
    EXPECT_EQ(program.libraries, ProvidedSupportLibraries());
    EXPECT_EQ(program.imports, DeclaredFunctions());
}

TEST(ProgramImage, DamagedImagesAreRefusedWithAReason)
{
    const std::vector<uint8_t> good = WriteSample(SampleItems());
    LoadedProgram program;
    std::string error;

    std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
    EXPECT_FALSE(LoadProgramImage(truncated.data(), truncated.size(), &program, &error));
    EXPECT_FALSE(error.empty());

    // An event that names a handler the program does not have.
    image::ImageBuildModel model = BuildProgramImageModel(SampleItems());
    model.form.units[0].events.push_back({static_cast<int32_t>(EventKind::Click), 4u * 200u});
    model.code.data.resize(4 * 201 + 4, 0xEE);
    image::ImageWriteResult w = image::WriteProgramImage(model);
    ASSERT_TRUE(w.ok) << w.error;
    error.clear();
    EXPECT_FALSE(LoadProgramImage(w.bytes.data(), w.bytes.size(), &program, &error));
    EXPECT_NE(error.find("handler"), std::string::npos) << error;

    // Properties of a unit cut short.
    model = BuildProgramImageModel(SampleItems());
    model.form.units[3].properties.resize(6);
    w = image::WriteProgramImage(model);
    ASSERT_TRUE(w.ok) << w.error;
    error.clear();
    EXPECT_FALSE(LoadProgramImage(w.bytes.data(), w.bytes.size(), &program, &error));
    EXPECT_NE(error.find("properties"), std::string::npos) << error;
}

}  // namespace
}  // namespace orv
