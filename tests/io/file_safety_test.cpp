// Nothing is lost on a failed save or a refused load: a save that cannot be completed (a full
// disk, simulated with a file size limit) leaves the previous file byte for byte, for every
// format the host writes; a symbolic link stays a link; a load that is refused leaves the
// drawing and its symbol definitions as they were.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "core/host_api.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/io/drawing_io.h"
#include "host/io/safe_file.h"
#include "host/platform/registry.h"
#include "host/ui/ui.h"
#include "tests/io/io_test_util.h"
#include "tests/support/temp_path.h"
#include "tests/ui/ui_script.h"

namespace qlhost {
namespace {

namespace fs = std::filesystem;
using iotest::Add;
using iotest::FreshDrawing;

constexpr rlim_t kDiskRoom = 64 * 1024;

// While it lives, no file can grow past kDiskRoom bytes and the signal the kernel sends for
// that is ignored: writes fail with EFBIG as they would on a full disk.
class FullDisk {
public:
    FullDisk() {
        getrlimit(RLIMIT_FSIZE, &old_);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = kDiskRoom;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, handler_);
    }

private:
    rlimit old_{};
    void (*handler_)(int) = SIG_DFL;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A drawing whose every file form is well over the room on the disk.
void FillDrawing() {
    HostList& work = *FreshDrawing().work;
    for (int i = 0; i < 3000; ++i) Add(work, MakeLine(i, 0, i + 0.5, 100 + i));
}

struct SaveCase {
    const char* name;
    std::function<bool(const std::string&, std::string&)> save;
};

const SaveCase kSaves[] = {
    {"drawing.json", [](const std::string& p, std::string& e) { return SaveDrawingFile(p, *TheDrawing().work, e); }},
    {"drawing.cv7", [](const std::string& p, std::string& e) { return SaveDrawingFile(p, *TheDrawing().work, e); }},
    {"drawing.dxf", [](const std::string& p, std::string& e) { return SaveDrawingFile(p, *TheDrawing().work, e); }},
    {"picture.svg", [](const std::string& p, std::string& e) { return WriteSvg(p, *TheDrawing().work, e); }},
    // Preview pictures, dumps and session scripts are written through WriteWhole.
    {"session.qls", [](const std::string& p, std::string& e) { return WriteWhole(p, std::string(200000, 'x'), e); }},
};

TEST(SafeSave, FullDiskLeavesThePreviousFileOfEveryFormat) {
    for (const SaveCase& c : kSaves) {
        SCOPED_TRACE(c.name);
        const fs::path dir = fs::path(ql_test::TempPath("full-disk")) / c.name;
        fs::remove_all(dir);
        fs::create_directories(dir);
        const std::string path = (dir / c.name).string();
        const std::string previous(100 * 1024, 'p');
        std::ofstream(path, std::ios::binary) << previous;
        FillDrawing();
        std::string error;
        bool saved;
        {
            FullDisk full;
            saved = c.save(path, error);
        }
        EXPECT_FALSE(saved);
        EXPECT_NE(error.find("write failed"), std::string::npos) << error;
        EXPECT_NE(error.find("left as it was"), std::string::npos) << error;
        EXPECT_TRUE(ReadAll(path) == previous) << "the previous file was changed";
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1)
            << "a temporary file was left behind";
        // With room on the disk the same save succeeds.
        EXPECT_TRUE(c.save(path, error)) << error;
        EXPECT_NE(ReadAll(path), previous);
    }
}

TEST(SafeSave, FullDiskLeavesTheRegistryFile) {
    const fs::path dir = fs::path(ql_test::TempPath("full-disk-registry"));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string file = (dir / "registry.reg").string();
    const std::string previous = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Kept]\n\"a\"=dword:00000001\n";
    std::ofstream(file, std::ios::binary) << previous;
    SetRegistryFile(file);
    testing::UiScript script;
    std::vector<unsigned char> big(100 * 1024, 0x5a);
    char key[256] = "Software\\Tarnwell\\Quillet\\QLHatch\\";
    SettingsRec set{0x80000001u, key, "Big", big.data(), static_cast<uint32_t>(big.size()), REG_BINARY,
                    static_cast<uint32_t>(big.size()), 0};
    {
        FullDisk full;
        EXPECT_EQ(RMSetValue(&set), 1);  // kept in memory
    }
    ASSERT_EQ(script.faults.size(), 1u);
    EXPECT_NE(script.faults[0].find("write failed"), std::string::npos) << script.faults[0];
    EXPECT_EQ(ReadAll(file), previous);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    SetRegistryFile("");
}

// A save through a symbolic link replaces the file the link points at; the link stays, and so
// do the permissions of the file.
TEST(SafeSave, LinksAndPermissionsStay) {
    const fs::path dir = fs::path(ql_test::TempPath("links"));
    fs::remove_all(dir);
    fs::create_directories(dir / "real");
    const fs::path target = dir / "real" / "registry.reg";
    std::ofstream(target) << "REGEDIT4\n";
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path link = dir / "link.reg";
    fs::create_symlink(fs::path("real") / "registry.reg", link);

    SetRegistryFile(link.string());
    testing::UiScript script;
    int32_t value = 7;
    char key[256] = "Software\\Tarnwell\\Quillet\\QLHatch\\";
    SettingsRec set{0x80000001u, key, "Linked", &value, sizeof value, REG_BINARY, sizeof value, 0};
    EXPECT_EQ(RMSetValue(&set), 1);
    EXPECT_TRUE(script.faults.empty());
    SetRegistryFile("");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(ReadAll(target.string()).find("\"Linked\"=hex:07,00,00,00"), std::string::npos);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    std::string error;
    const fs::path drawingLink = dir / "plan.json";
    fs::create_symlink(fs::path("real") / "plan.json", drawingLink);  // dangling until the save
    FillDrawing();
    ASSERT_TRUE(SaveDrawingFile(drawingLink.string(), *TheDrawing().work, error)) << error;
    EXPECT_TRUE(fs::is_symlink(drawingLink));
    EXPECT_TRUE(fs::is_regular_file(dir / "real" / "plan.json"));
}

// Files that are refused: the drawing, its layers and the symbol definitions stay as they were.
TEST(SafeLoad, RefusedFileKeepsTheDrawing) {
    const fs::path dir = fs::path(ql_test::TempPath("refused-loads"));
    fs::create_directories(dir);
    std::string expansion = "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n10\n0\n20\n0\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n"
                            "0\nENDBLK\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < 500; ++i) expansion += "0\nINSERT\n2\nB\n10\n0\n20\n0\n70\n100\n71\n100\n";
    expansion += "0\nENDSEC\n0\nEOF\n";
    const struct {
        const char* name;
        std::string text;
        const char* error;
    } cases[] = {
        {"broken.json", "{\"format\": \"quillet-drawing\", \"version\": 1, \"entities\": [", "not valid JSON"},
        {"bad-entity.json",
         "{\"format\": \"quillet-drawing\", \"version\": 1, \"layers\": [{\"number\": 3, \"name\": \"New\"}],"
         " \"entities\": [{\"type\": \"line\", \"p1\": [0, 0], \"p2\": [1, 1]}, {\"type\": 2}]}",
         "entity 1: field \"type\" must be a string"},
        {"missing.json", "", "cannot open"},
        {"expansion.dxf", expansion, "expand to more than"},
        {"junk.dxf", "hello/world\n", "junk.dxf:1: \"hello/world\" is not a group code"},
        // Uploads that are not DXF drawings: other bytes, a file cut short (between pairs and
        // inside one), sections without entities, the binary form.
        {"picture.dxf", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 20), "is not a group code"},
        {"cut.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n1\n20\n2\n11\n3\n", "ends without EOF"},
        {"cut-pair.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n", "group code 10 without a value"},
        {"no-entities.dxf", "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n0\nEOF\n", "no ENTITIES section"},
        {"binary.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0\x00\x00SECTION\0", 31), "binary DXF"},
        {"unknown.dxf", "0\nSECTION\n2\nENTITIES\n0\nNOTANENTITY\n8\n0\n0\nRAY\n8\n0\n0\nENDSEC\n0\nEOF\n",
         "none of its entities can be held by the host: 1 NOTANENTITY, 1 RAY"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (dir / c.name).string();
        if (!c.text.empty()) std::ofstream(path, std::ios::binary) << c.text;
        Drawing& drawing = FreshDrawing();
        ClearSymbolDefinitions();
        double matrix[12] = {1, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 0};
        const uint32_t handle = RegisterSymbolDefinition(1, 2, "Kept");
        Add(*drawing.work, MakeSymbolRef(handle, matrix, "Kept"));
        Add(*drawing.work, MakeCircle(1, 2, 3));
        AddLayer(drawing.tables, "Mine", 0);
        const std::string before = DumpList(*drawing.work);
        const Table layers = drawing.tables.layers;
        std::string error;
        EXPECT_FALSE(ReplaceDrawing(path, drawing, error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(DumpList(*drawing.work), before);
        EXPECT_TRUE(drawing.tables.layers == layers);
        EXPECT_NE(FindSymbolDefinition(handle), nullptr);
        EXPECT_EQ(FindSymbolDefinitionByName("Kept"), handle);
    }
}

// A load that succeeds gives the drawing a direct load gives: the same entities and ids.
TEST(SafeLoad, AcceptedFileReplacesTheDrawing) {
    const std::string path = ql_test::TempPath("accepted.json");
    Drawing& drawing = FreshDrawing();
    Node* group = Add(*drawing.work, MakeGroup());
    Add(*drawing.work->Children(group), MakeLine(0, 0, 1, 1));
    Add(*drawing.work, MakeCircle(1, 2, 3));
    std::string error;
    ASSERT_TRUE(SaveDrawingFile(path, *drawing.work, error)) << error;
    const std::string saved = DumpList(*drawing.work);
    Add(*drawing.work, MakePoint(9, 9));
    ASSERT_TRUE(ReplaceDrawing(path, drawing, error)) << error;
    EXPECT_EQ(DumpList(*drawing.work), saved);
    ASSERT_NE(drawing.FindById(2), nullptr);
    EXPECT_NE(drawing.FindById(2)->owner, drawing.work.get());  // ids in file order, members after their group
    EXPECT_EQ(ValidateDrawing(drawing), "");
}

}  // namespace
}  // namespace qlhost
