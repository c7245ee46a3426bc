// The platform core: exceptions and call stacks, scope guards, reference counting, shared
// libraries, paths and application locations, UTF-8 conversion, property trees with their
// JSON reader and writer, and message catalogues.
#include <Tavrin/Core/AppLocations.h>
#include <Tavrin/Core/DyLib.h>
#include <Tavrin/Core/Exception.h>
#include <Tavrin/Core/LocalizationManager.h>
#include <Tavrin/Core/PropertySerializer.h>
#include <Tavrin/Core/ScopedFunctionCall.h>
#include <Tavrin/Core/StringConversion.h>

#include "LogCapture.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gmock/gmock.h>

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdint>
#include <future>
#include <tuple>
#include <utility>
#include <vector>

using namespace Tavrin::Core;
using namespace std::string_literals;
using Tavrin::ioPath;
using testing::HasSubstr;

namespace {

std::atomic<int> g_destroyed{0};

// Outside namespace Tavrin: intrusive_ptr must find the reference functions via the base.
struct Counted final : Tavrin::RefCounted<Tavrin::IRefCountable>
{
    ~Counted() override { ++g_destroyed; }
};

// Reads json into target; returns the error's what(), or "" when the input was accepted.
// Errors are thrown inside the library (TAVRIN_THROW) and caught here by their base type.
std::string Read(Property& target, const std::string& json, bool replace = true)
{
    try {
        PropertySerializer::Deserialize(target, DataInputString::Create(&json), replace);
    } catch (const Tavrin::Exception& e) {
        EXPECT_THAT(Tavrin::GetCallStack(e), HasSubstr("#0 "));
        return e.what();
    }
    return {};
}

std::string Written(const Property& property)
{
    std::string out = "previous content";
    PropertySerializer::Serialize(property, out);
    return out;
}

// The children on one line: name=value{children};... ("=value" only when not empty).
std::string Dump(const Property& property)
{
    std::string text;
    for (const Property& child : property.GetChildren()) {
        text += (text.empty() ? "" : ";") + child.GetName();
        text += child.GetString().empty() ? "" : "=" + child.GetString();
        text += child.GetChildren().empty() ? "" : "{" + Dump(child) + "}";
    }
    return text;
}

}  // namespace

// --- Exceptions, call stacks and scope guards

TEST(StackTrace, StartsAtTheCallerAndNamesExportedFunctionsAndThrowingExitsAreOnlyLogged)
{
    const auto frames = [](const std::string& s) { return std::count(s.begin(), s.end(), '\n'); };
    // Frame #0 is this function in the test program, whatever frames sanitizers add above it.
    const std::string full = StackTrace::GetCallStack();
    EXPECT_THAT(full, HasSubstr("#0 " + QCoreApplication::arguments()[0].toStdString() + ": "));
    EXPECT_EQ(frames(StackTrace::GetCallStack(1)), frames(full) - 1);
    EXPECT_EQ(frames(StackTrace::GetCallStack(-5)), frames(full));
    EXPECT_EQ(StackTrace::GetCallStack(1000), "");

    // The exit runs inside the library's exported destructor.
    std::string stack, calls;
    ScopedFunctionCall(nullptr, [&stack] { stack = StackTrace::GetCallStack(); });
    EXPECT_THAT(stack, HasSubstr(": Tavrin::Core::ScopedFunctionCall::~ScopedFunctionCall()+0x"));

    // A throwing exit never replaces the exception that is unwinding.
    testing::internal::CaptureStderr();
    try {
        ScopedFunctionCall call([&] { calls += "enter,"; }, [] { throw 42; });
        ScopedFunctionCall noEntry([&] { calls += "entered anyway,"; }, nullptr, false);
        throw std::logic_error("original");
    } catch (const std::logic_error& e) {
        calls += e.what();
    }
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("unknown exception\n#0 "));
    EXPECT_EQ(calls, "enter,original");
}

// --- Reference counting

TEST(RefCounted, DeletedOnceByTheLastOwnerAcrossThreadsAndNeverByAStrayRelease)
{
    Counted* stray = new Counted;
    testing::internal::CaptureStderr();
    EXPECT_EQ(stray->Release(), 0u);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("no references\n#0 "));
    EXPECT_EQ(g_destroyed, 0);
    boost::intrusive_ptr(stray).reset();
    for (int round = 2; round <= 30; ++round) {
        boost::intrusive_ptr counted(new Counted);
        std::vector<std::future<void>> owners;
        for (int t = 0; t < 4; ++t)
            owners.push_back(std::async(std::launch::async, [counted]() mutable {
                std::vector(2000, counted);
                counted.reset();  // the last of these deletes the object
            }));
        counted.reset();
        owners.clear();  // waits for the threads
        EXPECT_EQ(g_destroyed, round);
    }
}

// --- Shared libraries, paths and locations

TEST(DyLib, FindsFunctionsOnlyInTheOpenLibraryAndFailsCleanly)
{
    DyLib library;
    ASSERT_TRUE(library.Open("libm.so.6")) << library.GetLastError();
    EXPECT_NE(library.GetProc("cos"), nullptr);
    // Lookups never reach other loaded libraries, nor a closed one.
    ASSERT_TRUE(library.Open("libdl.so.2")) << library.GetLastError();
    EXPECT_EQ(library.GetProc("cos"), nullptr);
    library.Close();
    EXPECT_EQ(library.GetProc("dlopen"), nullptr);
    // dlopen of an empty name would hand out the program itself.
    for (const ioPath& path : {ioPath("libmissing.so"), ioPath(), ioPath("/proc/self/status")}) {
        ASSERT_TRUE(library.Open("libm.so.6"));
        EXPECT_FALSE(library.Open(path) || library.IsOpen()) << path;
    }
}

TEST(ioPath, NamesReachTheRightPlaceFailuresAreReportedAndResourcesAreLocated)
{
    // Wide text must not depend on the locale, which may be "C".
    boost::filesystem::path::imbue(std::locale::classic());

    const ioPath base(Tavrin::Test::NewTempDir().toStdString());
    const ioPath inner = base / ioPath("\xC3\xA9\\Inner").make_preferred();  // as on Windows
    ASSERT_TRUE(ioPath::create_directories(inner));
    EXPECT_TRUE(ioPath::create_directories(inner)) << "existing is success";
    EXPECT_TRUE((base / L"\u00E9" / "Inner").exists());
    EXPECT_FALSE(ioPath::create_directories("/proc/self/status/below"));  // below a file

    // Resources are beside the executable unless the environment says otherwise.
    const ioPath directory = AppLocations::GetLocations().GetApplicationDirectory();
    EXPECT_EQ(directory.utf8string(), QCoreApplication::applicationDirPath().toStdString());
    qputenv("TAVRIN_RESOURCES_DIR", "/opt/res dir");
    EXPECT_EQ(AppLocations::GetLocations().GetFontConfigFile(), "/opt/res dir/fonts.conf");
    qputenv("TAVRIN_RESOURCES_DIR", "");  // empty counts as unset
    EXPECT_EQ(AppLocations::GetLocations().GetResourcesPath(), directory / "resources");
}

// --- UTF-8 conversion

TEST(StringConversion, ConvertsValidTextBothWaysAndReplacesEachInvalidPartOnce)
{
    const std::pair<std::string, std::wstring> cases[] = {
        // 1 to 4 byte forms, an embedded NUL, U+FFFF and the highest code point.
        {"a\0\xC3\xA9\xE2\x82\xAC\xEF\xBF\xBF\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"s,
         {L'a', 0, 0xE9, 0x20AC, 0xFFFF, 0x1F600, 0x10FFFF}},
        {"a\x80z\xC0\xAF", L"a\uFFFDz\uFFFD\uFFFD"},  // a lone continuation byte, an overlong lead
        // An overlong three-byte form, a surrogate; then a code point beyond U+10FFFF.
        {"\xE0\x80\xAF\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
        // Truncated: one replacement, next byte kept; a lead byte cuts the sequence short.
        {"\xE2\x82z\xC3\xC3\xA9", L"\uFFFDz\uFFFD\u00E9"},
        {"z\xF0\x9F\x98", L"z\uFFFD"},  // truncated by the end
    };
    for (const auto& [utf8, wide] : cases)
        EXPECT_EQ(WstringFromUtf8(utf8), wide) << testing::PrintToString(utf8);
    EXPECT_EQ(Utf8FromWstring(cases[0].second), cases[0].first);
    for (const wchar_t bad : {0xD800, 0xDFFF, 0x110000, -1})
        EXPECT_EQ(Utf8FromWstring(std::wstring{L'x', bad}), "x\xEF\xBF\xBD") << bad;
}

// --- Property trees

TEST(Property, ChildrenAreUniqueOrderedAndStayPutAndCopiesAreDeep)
{
    Property root;
    root["zeta"].SetString("1");
    Property& alpha = root["alpha"];
    root["zeta"].SetString("2");  // the same child again
    EXPECT_TRUE(root.RemoveChild("zeta"));
    root["zeta"];  // a re-added name goes last
    EXPECT_EQ(Dump(root), "alpha;zeta");
    for (int i = 0; i < 1000; ++i)
        root[std::to_string(i)];
    EXPECT_EQ(root.FindChild("alpha"), &alpha);
    // Looking up through a const tree throws (from inside the library) instead of adding.
    EXPECT_THROW((void)std::as_const(root)["missing"], Tavrin::Exception);
    root.ClearChildren();
    EXPECT_FALSE(root.ChildExists("alpha"));

    // Copies are deep, and every copy or move looks up in its own tree.
    Property original("settings");
    Read(original, R"({"window": {"width": "800"}, "theme": "dark"})");
    Property copy(original), assigned;
    Property moved(std::move(copy));  // what the copy looks up must move along
    assigned = original;
    for (Property* tree : {&moved, &assigned}) {
        (*tree)["window"]["width"].SetString("1024");
        EXPECT_EQ(Dump(*tree), "window{width=1024};theme=dark");
        EXPECT_NE(*tree, original);
    }
    EXPECT_EQ(Dump(original), "window{width=800};theme=dark");
}

TEST(PropertySerializer, ReadsMembersInDocumentOrderDecodesStringsAndMergesOrReplaces)
{
    Property root;
    ASSERT_EQ(Read(root,
                   "\xEF\xBB\xBF \r\n\t{\"zeta\": \"z\", \"alpha\": {\"in\": 12, \"\": \"own\"}, "
                   R"("real": -1.50e+3, "yes": true, "no": false, "none": null,)"
                   R"( "list": ["a", {"k": 1}, [], [true]], "dup": {"x": 1}, "dup": {"y": 2},)"
                   R"( "esc": "q\" b\\ s\/ \b\f\n\r\t", "u": "\u00e9\ud83d\ude00",)"
                   R"( "lone": "\ud800\u002d\udc00", "nul": "x\u0000y"} )"),
              "");
    EXPECT_EQ(Dump(root),
              "zeta=z;alpha=own{in=12};real=-1.50e+3;yes=true;no=false;none;"
              "list{0=a;1{k=1};2;3{0=true}};dup{x=1;y=2};esc=q\" b\\ s/ \b\f\n\r\t;"
              "u=\xC3\xA9\xF0\x9F\x98\x80;lone=\xEF\xBF\xBD-\xEF\xBF\xBD;nul=x\0y"s);

    // Merged into, or replaced.
    Property target("prefs");
    Read(target, R"({"": "kept", "window": {"": "w", "width": "800"}, "theme": {"detail": "d"}})");
    EXPECT_EQ(Read(target, R"({"window": {"width": "9", "x": "5"}, "theme": "light"})", false), "");
    EXPECT_EQ(target.GetString() + "|" + Dump(target),
              "kept|window=w{width=9;x=5};theme=light{detail=d}");
    EXPECT_EQ(Read(target, R"({"fresh": "2"})"), "");
    EXPECT_EQ(target.GetName() + "|" + target.GetString() + "|" + Dump(target), "prefs||fresh=2");
}

TEST(PropertySerializer, BadInputIsRejectedWithItsOffsetAndChangesNothing)
{
    const std::pair<std::string, std::string> cases[] = {
        {"  \xEF\xBB\xBF", "offset 2: the document must be a JSON object, found byte 0xEF"},
        {"{} x", "offset 3: unexpected 'x' after the top-level object"},
        {"{\"a\": 1,}", "offset 8: expected a member name"},
        {"{\"a\": 01}", "offset 7: expected ',' or '}'"},
        {"{\"a\": \"x}", "offset 6: the string is not terminated"},
        {"{\"a\": \"\\x\"}", "offset 7: invalid escape sequence"},
        {"{\"a\": \"\\u12G4\"}", "offset 11: expected four hex digits"},
        {"{\"a\": \"line\nbreak\"}", "offset 11: control character byte 0x0A"},
        {"{\"a\": \"\xC3\"}", "offset 7: invalid UTF-8"},
    };
    for (const auto& [json, error] : cases) {
        Property target;
        target["child"].SetString("c");
        EXPECT_THAT(Read(target, json), HasSubstr(error)) << testing::PrintToString(json);
        EXPECT_EQ(Dump(target), "child=c");
    }
}

TEST(PropertySerializer, WritesIndentedJsonThatReadsBackTheSameWithBoundedNesting)
{
    Property root("name not written"), back("name not written");
    root.SetString("v1");
    root["window"]["width"].SetString("800");
    EXPECT_EQ(Written(root),
              "{\n    \"\": \"v1\",\n    \"window\": {\n        \"width\": \"800\"\n    }\n}\n");

    root["controls \"\\"].SetString("\x01\x1F\x7F\0\b\f\n\r\t"s);
    root[""].SetString("leaf named empty");
    root["nested"][""]["deep"].SetString("d");
    root["nested"][""].SetString("empty-named child's value");
    root["big"].SetString(std::string(300000, 'b') + "\xF0\x9F\x98\x80");  // beyond one read
    EXPECT_EQ(Read(back, Written(root)), "");
    EXPECT_EQ(back, root);

    // Invalid UTF-8 cannot be written as JSON: it becomes U+FFFD.
    Property bad, chain, again;
    bad["x\xFF"].SetString("a\xED\xA0\x80");
    EXPECT_EQ(Read(bad, Written(bad)), "");
    EXPECT_EQ(Dump(bad), "x\xEF\xBF\xBD=a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");

    // Nesting is bounded when reading and when writing.
    const int max = PropertySerializer::kMaxDepth;
    Property* bottom = &chain;
    for (int objects = 1; objects < max; ++objects)
        bottom = &(*bottom)["n"];
    (*bottom)["n"].SetString("leaf");  // max objects: the deepest tree that may be written
    EXPECT_EQ(Read(again, Written(chain)), "");
    EXPECT_EQ(again, chain);
    EXPECT_THAT(Read(again, "{\"n\": " + Written(chain) + "}"), HasSubstr("nested more than"));
    const std::string arrays = "{\"a\": " + std::string(max, '[') + std::string(max, ']') + "}";
    EXPECT_THAT(Read(again, arrays), HasSubstr("offset " + std::to_string(5 + max) + ": "));
    (*bottom)["n"]["n"];
    EXPECT_THROW(Written(chain), Tavrin::Exception);
}

// --- Message catalogues

namespace {

using Messages = std::vector<std::pair<std::string, std::string>>;

// A compiled catalogue laid out the way msgfmt writes one (little-endian; msgfmt's own files
// cover the other order). With `shared` set, every original and translation points at one
// string of that many bytes.
std::string MoFile(const Messages& messages, std::uint32_t revision = 0, std::size_t count = 0,
                   std::size_t shared = 0)
{
    std::string out, strings = std::string(shared, 'x');
    const auto word = [&out](std::size_t value) {
        for (int byte = 0; byte < 4; ++byte)
            out += static_cast<char>(value >> 8 * byte);
    };
    count = shared ? count : messages.size();
    for (std::size_t value : {std::size_t{0x950412de}, std::size_t{revision}, count,
                              std::size_t{28}, 28 + 8 * count, std::size_t{0}, std::size_t{0}})
        word(value);
    for (std::size_t entry = 0; shared && entry < 2 * count; ++entry) {
        word(shared);
        word(28 + 16 * count);
    }
    for (const bool original : {true, false})
        for (const auto& message : messages) {
            const std::string& text = original ? message.first : message.second;
            word(text.size());
            word(28 + 16 * count + strings.size());
            strings += text + '\0';
        }
    return out + strings;
}

struct Catalogues
{
    QString root = Tavrin::Test::NewTempDir(QStringLiteral("locales"));
    LocalizationManager manager;

    Catalogues()
    {
        manager.Init("core", root.toStdString());
        manager.AddDomain("core");
    }
    void Put(const std::string& language, const std::string& bytes)
    {
        const QString directory = root + "/" + QString::fromStdString(language) + "/LC_MESSAGES";
        QDir().mkpath(directory);
        Tavrin::Test::WriteFile(directory + "/core.mo", QByteArray::fromStdString(bytes));
    }
};

const std::string kUtf8Header = "Content-Type: text/plain; charset=UTF-8\n";

}  // namespace

TEST(LocalizationManager, ReadsContextsPluralsCharsetsAndFallsBackToTheLanguage)
{
    const Messages messages = {{"", kUtf8Header},
                               {"Hello", "Привет"},
                               {"menu\x04Hello", "Hallo (menu)"},  // with a context
                               {"file\0files"s, "Datei\0Dateien"s}};
    Catalogues catalogues;
    catalogues.Put("de_DE", MoFile(messages));
    catalogues.manager.SetLanguage("de_DE");
    LocalizationManager& m = catalogues.manager;
    EXPECT_EQ(std::tuple(m.Translate("", "Hello"), m.Translate("core", "file"),
                         m.Translate("core", "files"), m.Translate("core", "menu\x04Hello"),
                         m.Translate("other", "Hello")),
              std::tuple("Привет", "Datei", "files", "menu\x04Hello", "Hello"));

    // The most specific language directory present wins; translations come out as UTF-8.
    catalogues.Put("sr@latin", MoFile({{"Hello", "Zdravo"}}));
    catalogues.Put("sr", MoFile({{"Hello", "Здраво"}}));
    catalogues.Put("fr", MoFile({{"", "Content-Type: text/plain; charset=ISO-8859-1\n"},
                                 {"summer", "\xE9t\xE9"}}));
    const std::pair<const char*, const char*> cases[] = {
        {"sr_RS@latin", "Zdravo"}, {"sr_RS", "Здраво"}, {"fr_FR.UTF-8", "été"}};
    for (const auto& [language, expected] : cases) {
        catalogues.manager.SetLanguage(language);
        EXPECT_EQ(catalogues.manager.Translate("", language[0] == 'f' ? "summer" : "Hello"),
                  expected)
            << language;
    }
}

TEST(LocalizationManager, BrokenCataloguesAreRejectedWithOneWarningAndNeverReadOutOfBounds)
{
    const std::string valid = MoFile({{"", kUtf8Header}, {"Hello", "Hallo"}, {"Bye", "Tschüss"}});
    std::string tableTooLong = valid, tablePastEnd = valid, stringPastEnd = valid;
    tableTooLong[8] = '\x7f';                 // the message count
    tablePastEnd[15] = '\x7f';                // high byte of the originals table's offset
    stringPastEnd[28 + 8 * 3 + 15] = '\x7f';  // high byte of a translation's offset
    const std::pair<std::string, std::string> cases[] = {
        {"garbage", "the file is too short to be a message catalogue"},
        {std::string(64, '\0'), "the file is not a message catalogue"},
        {MoFile({{"Hello", "Hallo"}}, 0x20000), "the catalogue's format revision is not"},
        {tableTooLong, "the catalogue claims more messages than the file holds"},
        {stringPastEnd, "a string runs past the end of the file"},
        {tablePastEnd, "a table runs past the end of the file"},
        {valid.substr(0, 50), "a string runs past the end of the file"},
        {MoFile({{"", "Content-Type: text/plain; charset=x-nonsense\n"}, {"Hello", "Hallo"}}),
         "the catalogue's charset x-nonsense is not known"},
        // 8192 looks at one 64 KiB string would be 512 MiB to copy from a 192 KiB file.
        {MoFile({}, 0, 4096, 1 << 16),
         "the catalogue's strings take more bytes than the file holds"},
    };
    for (const auto& [bytes, error] : cases) {
        Catalogues catalogues;
        catalogues.Put("de_DE", bytes);
        Tavrin::Test::LogCapture log(google::GLOG_WARNING);
        catalogues.manager.SetLanguage("de_DE");
        EXPECT_EQ(catalogues.manager.Translate("", "Hello"), "Hello");
        EXPECT_EQ(
            log.Count("WARNING: The message catalogue of domain [core] for language [de_DE] in [" +
                      catalogues.root.toStdString() +
                      "/de_DE/LC_MESSAGES/core.mo] could "
                      "not be read: " +
                      error),
            1)
            << error;
    }
}

namespace {

std::string ReadCoreData(const std::string& name)
{
    QFile file(QStringLiteral(CORE_DATA_DIR "/") + QString::fromStdString(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll().toStdString();
}

std::uint32_t WordAt(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    bytes.copy(reinterpret_cast<char*>(&value), 4, offset);
    return value;
}

}  // namespace

TEST(LocalizationManager, ReadsBothByteOrdersAndExpandsPlatformDependentMessagesAsTheCLibraryDoes)
{
    // The C library's own expansion is the reference: the texts printf understands here.
    const std::string fileOf = "%"s + PRIu64 + " file";
    const std::string bytesOf = "%"s + PRId64 + " of %" + PRIu32;
    const std::pair<std::string, std::string> cases[] = {
        {fileOf, "%"s + PRIu64 + " Datei"},
        {"%"s + PRIu64 + " files", "%"s + PRIu64 + " files"},  // the plural finds nothing
        {"at %"s + PRIxPTR, "bei %"s + PRIxPTR + " (%" + PRIdMAX + ", %" + PRIXFAST16 + ", %" +
                                PRIoLEAST8 + ", %" + PRIi32 + ", %" + PRIuMAX + ")"},
        {"%d apples", "%Id Äpfel"},
        {bytesOf, "%"s + PRId64 + " von %" + PRIu32},
        {"Hello", "Hallo"},
    };
    for (const char* endianness : {"little", "big"}) {
        Catalogues catalogues;
        catalogues.Put("de_DE", ReadCoreData("sysdep_de_"s + endianness + ".mo"));
        catalogues.manager.SetLanguage("de_DE");
        for (const auto& [key, expected] : cases)
            EXPECT_EQ(catalogues.manager.Translate("", key), expected) << endianness << key;
    }

    // A segment this platform does not know leaves its messages out and keeps the others; a
    // segment the catalogue does not have rejects the file.
    const std::string little = ReadCoreData("sysdep_de_little.mo");
    std::string unknown = little, missing = little;
    unknown.replace(unknown.find("PRIu64"), 6, "PRIq64");
    // The first translation's first segment names segment 4000 (little-endian).
    missing.replace(WordAt(missing, WordAt(missing, 44)) + 8, 4, "\xA0\x0F\0\0"s);
    Catalogues catalogues;
    catalogues.Put("de_DE", unknown);
    catalogues.manager.SetLanguage("de_DE");
    EXPECT_EQ(std::tuple(catalogues.manager.Translate("", fileOf),
                         catalogues.manager.Translate("", "%d apples")),
              std::tuple(fileOf, "%Id Äpfel"));
    Tavrin::Test::LogCapture log(google::GLOG_WARNING);
    catalogues.Put("fr_FR", missing);
    catalogues.manager.SetLanguage("fr_FR");
    EXPECT_EQ(catalogues.manager.Translate("", "Hello"), "Hello");
    EXPECT_EQ(log.Count("a message names a segment the catalogue does not have"), 1);
}

TEST(LocalizationManager, SetLanguageLoadsTheDefaultDomainWithoutAddDomain)
{
    Catalogues catalogues;
    catalogues.Put("de_DE", MoFile({{"Hello", "Hallo"}}));
    catalogues.manager.Init("core", catalogues.root.toStdString());  // no AddDomain
    catalogues.manager.SetLanguage("de_DE");
    EXPECT_EQ(std::tuple(catalogues.manager.Translate("", "Hello"),
                         catalogues.manager.Translate("core", "Hello")),
              std::tuple("Hallo", "Hallo"));
    catalogues.manager.Init("", catalogues.root.toStdString());  // no default domain: no file
    catalogues.manager.SetLanguage("de_DE");
    EXPECT_EQ(catalogues.manager.Translate("", "Hello"), "Hello");
}
