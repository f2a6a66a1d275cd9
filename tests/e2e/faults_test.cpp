// Faults and bad input, each with its outcome: a clear message, the window
// usable, nothing lost, the result complete or empty and never partial.
#include <random>
#include <sstream>

#include "e2e_support.h"

namespace ravo::e2e {
namespace {

using driver::MessageBoxInfo;

// A file held open by "another process" (this one) with no sharing.
class Lock {
public:
    explicit Lock(const std::wstring& path)
        : h_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr)) {}
    ~Lock() { release(); }
    bool held() const { return h_ != INVALID_HANDLE_VALUE; }
    void release() {
        if (held()) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_;
};

// Every line of a result the host reads: four numbers and CR LF.
// What the host reads when nothing was drawn: one "he" record with the
// reason the user was shown.
std::string told(const std::wstring& text) { return driver::encode(L"he" + text) + "\r\n"; }

bool wellFormed(const std::string& result) {
    if (result.empty()) return true;
    if (result.rfind("he", 0) == 0) return result.find("\r\n") == result.size() - 2;
    if (result.size() < 2 || result.substr(result.size() - 2) != "\r\n") return false;
    std::istringstream in(result);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line.back() != '\r') return false;
        std::istringstream nums(line);
        double v;
        int n = 0;
        while (nums >> v) ++n;
        if (n != 4) return false;
    }
    return true;
}

class Faults : public HostFolder {
protected:
    // Starts, expects a box with `text` (or any box when text is empty) and
    // then the window.
    HWND startExpecting(const std::string& text) {
        proc_ = start();
        MessageBoxInfo box;
        EXPECT_TRUE(proc_->waitMessageBox(box, 60000)) << "expected a message";
        if (!text.empty()) {
            EXPECT_EQ(narrow(box.text), text);
        }
        driver::dismiss(box);
        driver::waitClosed(box.hwnd);
        HWND main = proc_->waitWindow(ids::kMainClass);
        EXPECT_NE(main, nullptr) << "expected the window to stay usable";
        return main;
    }
    // OK, dismissing any boxes on the way; the program must end.
    void okToEnd(HWND main) {
        driver::click(driver::child(main, ids::btnOK));
        DWORD code = 1;
        ASSERT_TRUE(proc_->waitExit(60000, &code));
        EXPECT_EQ(code, 0u);
    }
    long resultLines() const {
        const std::string r = readFile(L"jwc_temp.txt");
        return std::count(r.begin(), r.end(), '\n');
    }
    const char* kRun = "hq\r\nhp1 100 200\r\nhp2 900 200\r\n";
};

TEST_F(Faults, HostFileLockedByAnotherProcess) {
    writeTemp(kRun);
    Lock lock(path(L"temp.txt"));
    ASSERT_TRUE(lock.held());
    HWND main = startExpecting("I/O エラー 32.");
    ASSERT_NE(main, nullptr);
    okToEnd(main);
    EXPECT_EQ(readFile(L"jwc_temp.txt"), told(L"I/O エラー 32."));
}

TEST_F(Faults, ResultLockedAtStart) {
    writeTemp(kRun);
    writeFile(L"jwc_temp.txt", "stale\r\n");
    Lock lock(path(L"jwc_temp.txt"));
    HWND main = startExpecting("I/O エラー 32.");
    ASSERT_NE(main, nullptr);
    lock.release();
    okToEnd(main);
    EXPECT_EQ(readFile(L"jwc_temp.txt"), told(L"I/O エラー 32.")) << "expected no run handed over: none was laid";
}

TEST_F(Faults, ResultLockedAtOkThenFreed) {
    writeTemp(kRun);
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    {
        Lock lock(path(L"jwc_temp.txt"));
        okRefusedWith(main, "I/O エラー 103.");
    }
    EXPECT_EQ(readFile(L"jwc_temp.txt"), "");
    EXPECT_FALSE(temporaryLeft());
    closeWith(main, ids::btnOK);
    EXPECT_EQ(resultLines(), 40);
}

// In a folder whose path leaves just room for "data\pile_n.dat" within
// MAX_PATH, the result is still written: the temporary it is written to
// first is no longer than its own name (Windows enforces MAX_PATH; Wine does
// not). Nor does a folder left where a temporary name might be stop it.
TEST_F(Faults, ResultWrittenAtTheEdgeOfMaxPathAndPastAStaleFolder) {
    const std::wstring outer = dir_;
    std::wstring deep = outer + L"\\";
    while (deep.size() < 243) deep += L'd';  // deep\data\pile_n.dat: 259 characters
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    dir_ = deep;
    ASSERT_TRUE(CopyFileW(Setup::exe.c_str(), path(kExeName).c_str(), FALSE));
    ASSERT_TRUE(driver::copyTree(Setup::data, path(L"data")));
    writeTemp(kRun);
    ASSERT_TRUE(CreateDirectoryW(path(L"jwc_temp.txt.new").c_str(), nullptr));
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    closeWith(main, ids::btnOK);
    EXPECT_EQ(resultLines(), 40);
    EXPECT_FALSE(temporaryLeft());
    driver::removeTree(deep);
    dir_ = outer;
}

// A write killed half way leaves its temporary beside the result: the next
// start removes such files, of the temporary's own name only.
TEST_F(Faults, LeftoverTemporariesAreRemovedAtTheNextStart) {
    const wchar_t* const ours[] = {L"jwc0a1b2.tmp", L"JWC9F3E1.TMP"};
    const wchar_t* const theirs[] = {L"jwc1234.tmp", L"jwc123456.tmp", L"jwcabcdx.tmp", L"jwc12345.txt", L"xjwc1234.tmp"};
    for (const wchar_t* name : ours) writeFile(name, std::string(1 << 20, 'x'));
    for (const wchar_t* name : theirs) writeFile(name, "keep");
    ASSERT_TRUE(CreateDirectoryW(path(L"jwc22222.tmp").c_str(), nullptr));
    writeTemp(kRun);
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    for (const wchar_t* name : ours) EXPECT_FALSE(exists(name)) << narrow(name);
    for (const wchar_t* name : theirs) EXPECT_TRUE(exists(name)) << narrow(name);
    EXPECT_NE(GetFileAttributesW(path(L"jwc22222.tmp").c_str()), INVALID_FILE_ATTRIBUTES) << "a folder is no leftover";
    closeWith(main, ids::btnOK);
    EXPECT_EQ(resultLines(), 40);
    RemoveDirectoryW(path(L"jwc22222.tmp").c_str());
}

TEST_F(Faults, EachOutlineFileMissing) {
    for (const wchar_t* name : {L"pile_n.dat", L"pile_r.dat"}) {
        SCOPED_TRACE(narrow(name));
        TearDown();
        SetUp();
        DeleteFileW(path(std::wstring(L"data\\") + name).c_str());
        writeTemp(kRun);
        HWND main = startExpecting("指定されたファイルが見つかりません.");
        ASSERT_NE(main, nullptr);
        okToEnd(main);
        EXPECT_EQ(readFile(L"jwc_temp.txt"), told(L"指定されたファイルが見つかりません."));
    }
    TearDown();
    SetUp();
    removeDataFolder();
    writeTemp(kRun);
    HWND main = startExpecting("不正なファイル名 - data\\pile_n.dat.");  // no data folder at all
    ASSERT_NE(main, nullptr);
    okToEnd(main);
}

// The section remembered from last time has lost its folder: the box names
// the file to restore, the count line promises nothing, OK hands back
// nothing; another section then lays the run.
TEST_F(Faults, RememberedSectionWithoutItsOutlines) {
    writeFile(L"Ravo鋼矢板.ini", "[Settings]\r\nType=25H\r\n");
    driver::removeTree(path(L"data\\25H"));
    writeTemp("hq\r\nhp1 1234.56 7.7\r\nhp2 4834.56 7.7\r\n");
    HWND main = startExpecting("不正なファイル名 - data\\25H\\pile_n.dat.");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(narrow(driver::windowText(driver::child(main, ids::lblCount))), "0枚");
    ASSERT_TRUE(driver::chooseItem(driver::child(main, ids::cmbType), 1));  // III: 3600 is 9 piles exactly
    EXPECT_EQ(narrow(driver::windowText(driver::child(main, ids::lblCount))), "9枚  延長 3.600 m");
    okToEnd(main);
    EXPECT_EQ(resultLines(), 9 * 20);

    TearDown();
    SetUp();
    writeFile(L"Ravo鋼矢板.ini", "[Settings]\r\nType=25H\r\n");
    driver::removeTree(path(L"data\\25H"));
    writeTemp("hq\r\nhp1 1234.56 7.7\r\nhp2 4834.56 7.7\r\n");
    main = startExpecting("");
    ASSERT_NE(main, nullptr);
    okToEnd(main);
    EXPECT_EQ(readFile(L"jwc_temp.txt"), told(L"不正なファイル名 - data\\25H\\pile_n.dat."));
}

TEST_F(Faults, EmptyMalformedAndGarbageOutlines) {
    writeFile(L"data\\pile_n.dat", "");
    writeTemp(kRun);
    HWND main = startToWindow();  // an empty outline is no error
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(proc_->noMessageBoxFor(300));
    closeWith(main, ids::btnOK);
    EXPECT_EQ(readFile(L"jwc_temp.txt"), "");

    TearDown();
    SetUp();
    writeFile(L"data\\pile_l.dat", "0 0 10 10\r\n0 0 x 10\r\n");
    writeTemp(kRun);
    main = startExpecting("'x' は浮動小数点数ではありません.");
    ASSERT_NE(main, nullptr);
    okToEnd(main);

    TearDown();
    SetUp();
    std::string garbage(10 << 20, '\0');
    std::mt19937 rng(1);
    for (char& c : garbage) c = static_cast<char>(rng());
    writeFile(L"data\\pile_r.dat", garbage);
    writeTemp(kRun);
    main = startExpecting("");
    ASSERT_NE(main, nullptr);
    okToEnd(main);
    EXPECT_TRUE(wellFormed(readFile(L"jwc_temp.txt")));
}

TEST_F(Faults, HostFileOfRandomBytes) {
    std::string junk(64 << 10, '\0');
    std::mt19937 rng(5);
    for (char& c : junk) c = static_cast<char>(rng());
    writeTemp(junk);
    proc_ = start();
    MessageBoxInfo box;
    HWND main = nullptr;
    for (int i = 0; i < 5 && !main; ++i) {
        if (proc_->waitMessageBox(box, 2000)) {
            driver::dismiss(box);
            driver::waitClosed(box.hwnd);
        }
        main = proc_->waitWindow(ids::kMainClass, 2000);
    }
    ASSERT_NE(main, nullptr);
    okToEnd(main);
    EXPECT_TRUE(wellFormed(readFile(L"jwc_temp.txt")));
}

TEST_F(Faults, HostFileOfAMillionLinesAndOfHugeLines) {
    std::string big = kRun;
    big.reserve(40 << 20);
    for (int i = 0; i < 1000000; ++i) big += "  12.345 -67.891 2345.678 -89.0125\r\n";
    writeTemp(big);
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    closeWith(main, ids::btnOK);
    EXPECT_EQ(resultLines(), 40);

    TearDown();
    SetUp();
    writeTemp(std::string(kRun) + std::string(100000, '7') + "\r\n" + "lg" + std::string(100000, 'x') + "\r\n");
    main = startExpecting("");  // the 255 bytes of digits and nothing more: one number, then the missing ones
    ASSERT_NE(main, nullptr);
    okToEnd(main);
}

TEST_F(Faults, BytesThatAreNotCodePage932) {
    writeTemp(std::string(kRun) + "lg1\r\nlgn\x81\r\nly2\r\nlyn\xFF\xFE\x80\xA0\r\ncv 0 0 1 0 \"\x82\"\r\n");
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(proc_->noMessageBoxFor(300));
    closeWith(main, ids::btnOK);
    EXPECT_EQ(resultLines(), 40);
}

TEST_F(Faults, PointsFarApartAreRefusedWithAMessage) {
    writeTemp("hq\r\nhp1 -1e308 0\r\nhp2 1e308 0\r\n");
    HWND main = startExpecting("鋼矢板の枚数が上限（25000枚）を超えるため割付できません。始点と終点を確認して下さい");
    ASSERT_NE(main, nullptr);
    driver::clickAndWait(driver::child(main, ids::chkStart));  // still usable
    closeWith(main, ids::btnOK);
    EXPECT_EQ(readFile(L"jwc_temp.txt"),
              told(L"鋼矢板の枚数が上限（25000枚）を超えるため割付できません。始点と終点を確認して下さい"));
}

TEST_F(Faults, PointsEqualTinyAndFarOut) {
    writeTemp("hq\r\nhp1 5 5\r\nhp2 5 5\r\n");
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    closeWith(main, ids::btnOK);
    EXPECT_EQ(readFile(L"jwc_temp.txt"), "");

    TearDown();
    SetUp();
    writeTemp("hq\r\nhp1 1e308 -1e308\r\nhp2 1e308 -1e308\r\n#\r\n");
    main = startToWindow();
    ASSERT_NE(main, nullptr);
    closeWith(main, ids::btnOK);
    EXPECT_EQ(readFile(L"jwc_temp.txt"), "");

    TearDown();
    SetUp();
    writeTemp("hq\r\nhp1 0 0\r\nhp2 1e-300 0\r\n");  // any length gives one pile
    main = startToWindow();
    ASSERT_NE(main, nullptr);
    closeWith(main, ids::btnOK);
    EXPECT_EQ(resultLines(), 20);

    TearDown();
    SetUp();
    writeTemp("hq\r\nhp1 1e15 1e15\r\nhp2 1.0000000000008e15 1e15\r\n");  // far out, short run
    main = startToWindow();
    ASSERT_NE(main, nullptr);
    closeWith(main, ids::btnOK);
    const std::string r = readFile(L"jwc_temp.txt");
    EXPECT_TRUE(wellFormed(r));
    EXPECT_EQ(std::count(r.begin(), r.end(), '\n'), 40);
}

}  // namespace
}  // namespace ravo::e2e
