#include <gtest/gtest.h>

#include <algorithm>

#include "support/Fakes.h"

namespace torvale::test {
namespace {

// Fills the launch parameters from fields, as a pass would, without a launcher.
AppDelegate& Filled(Harness& h, const std::string& fields) {
    h.OpenFields("&action=none" + fields);
    return h.delegate;
}

TEST(MstscFileText, DesktopExampleByteForByte) {
    Harness h;
    const std::string text =
        Filled(h,
               "&screen=2&localhost=192.0.2.7:3389&username=ops--&sid=57&clipboard=1&disk=*&"
               "entrust_password=0&password=secret&")
            .MstscFileText();
    EXPECT_EQ(text,
              "screen mode id:i:1\n"
              "desktopwidth:i:1024\n"
              "desktopheight:i:768\n"
              "session bpp:i:16 \n"
              "full address:s:192.0.2.7:3389\n"
              "username:s:ops--57\n"
              "promptcredentialonce:i:1 \n"
              "alternate shell:s: \n"
              "shell working directory:s: \n"
              "redirectclipboard:i:1\n"
              "drivestoredirect:s:*\n"
              "domain:s:-- \n"
              "\n");
    EXPECT_EQ(text.size(), 257u);
    EXPECT_EQ(h.delegate.m_username, "ops--57");
}

TEST(MstscFileText, AutoRunExampleByteForByte) {
    Harness h;
    const std::string text =
        Filled(h,
               "&localhost=192.0.2.7:3389&username=ops--&sid=57&path=C:%5CTools%5CViewer%5C"
               "Viewer.exe+-r&clipboard=0&entrust_password=1&")
            .MstscAutoRunFileText();
    EXPECT_EQ(text,
              "screen mode id:i:2\n"
              "session bpp:i:16 \n"
              "full address:s:192.0.2.7:3389\n"
              "username:s:ops--57\n"
              "promptcredentialonce:i:1 \n"
              "alternate shell:s:C:\\Tools\\Viewer\\Viewer.exe -r \n"
              "shell working directory:s:C:\\Tools\\Viewer\n"
              "redirectclipboard:i:0\n"
              "drivestoredirect:s:\n"
              "domain:s:\n"
              "\n");
    EXPECT_EQ(text.size(), 256u);
}

TEST(MstscFileText, EverythingEmpty) {
    Harness h;
    EXPECT_EQ(Filled(h, "&").MstscFileText(),
              "screen mode id:i:2\nsession bpp:i:16 \nfull address:s:\nusername:s:\n"
              "promptcredentialonce:i:1 \nalternate shell:s: \nshell working directory:s: \n"
              "redirectclipboard:i:\ndrivestoredirect:s:\ndomain:s:-- \n\n");
}

struct ScreenCase {
    std::string screen;
    std::string lines;
};

class ScreenTest : public testing::TestWithParam<ScreenCase> {};

TEST_P(ScreenTest, BothVariantsShareTheScreenLines) {
    Harness h;
    AppDelegate& d = Filled(h, "&screen=" + GetParam().screen + "&");
    EXPECT_TRUE(d.MstscFileText().starts_with(GetParam().lines + "session bpp:i:16 \n"));
    EXPECT_TRUE(d.MstscAutoRunFileText().starts_with(GetParam().lines + "session bpp:i:16 \n"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScreenTest,
    testing::Values(
        ScreenCase{"1", "screen mode id:i:1\ndesktopwidth:i:800\ndesktopheight:i:600\n"},
        ScreenCase{"2", "screen mode id:i:1\ndesktopwidth:i:1024\ndesktopheight:i:768\n"},
        ScreenCase{"", "screen mode id:i:2\n"}, ScreenCase{"+1", "screen mode id:i:2\n"},
        ScreenCase{"01", "screen mode id:i:2\n"}, ScreenCase{"3", "screen mode id:i:2\n"}));

struct DomainCase {
    std::string fields;
    std::string line;
};

class DomainTest : public testing::TestWithParam<DomainCase> {};

TEST_P(DomainTest, DesktopDomainLine) {
    Harness h;
    const std::string text = Filled(h, GetParam().fields).MstscFileText();
    EXPECT_TRUE(text.ends_with(GetParam().line + "\n")) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DomainTest,
    testing::Values(DomainCase{"&entrust_password=1&password=pw&", "domain:s:pw--\n"},
                    DomainCase{"&entrust_password=1&", "domain:s:--\n"},
                    DomainCase{"&entrust_password=true&password=pw&", "domain:s:-- \n"},
                    DomainCase{"&password=pw&", "domain:s:-- \n"}));

struct WorkingDirectoryCase {
    std::string path;  // escaped for the URL
    std::string lines;
};

class WorkingDirectoryTest : public testing::TestWithParam<WorkingDirectoryCase> {};

TEST_P(WorkingDirectoryTest, FromThePathUpToExe) {
    Harness h;
    const std::string text = Filled(h, "&path=" + GetParam().path + "&").MstscAutoRunFileText();
    EXPECT_NE(text.find(GetParam().lines), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WorkingDirectoryTest,
    testing::Values(
        WorkingDirectoryCase{"C:%5CApp.exe",
                             "alternate shell:s:C:\\App.exe \nshell working directory:s:C:\n"},
        WorkingDirectoryCase{"Viewer.exe",
                             "alternate shell:s:Viewer.exe \nshell working directory:s:\n"},
        WorkingDirectoryCase{"%5CViewer.exe",
                             "alternate shell:s:\\Viewer.exe \nshell working directory:s:\n"},
        WorkingDirectoryCase{"C:%5CTools%5CRun.bat",
                             "alternate shell:s:C:\\Tools\\Run.bat \nshell working directory:s:\n"},
        WorkingDirectoryCase{"C:%5CAPP%5CTOOL.EXE",
                             "alternate shell:s:C:\\APP\\TOOL.EXE \nshell working directory:s:\n"},
        WorkingDirectoryCase{"C:%5Ca.exe%5Cb.exe", "shell working directory:s:C:\n"},
        WorkingDirectoryCase{"", "alternate shell:s: \nshell working directory:s:\n"}));

TEST(MstscFileText, LineBreaksInValuesAddNoSetting) {
    Harness h;
    AppDelegate& d = Filled(h,
                            "&localhost=h%0Aalternate+shell:s:evil.exe&username=u%0D%0Adomain:s:x&"
                            "entrust_password=1&password=p%0A&disk=%0D&path=a.exe%0Ab&");
    for (const std::string& text : {d.MstscFileText(), d.MstscAutoRunFileText()}) {
        EXPECT_EQ(text.find('\r'), std::string::npos);
        EXPECT_NE(text.find("full address:s:halternate shell:s:evil.exe\n"), std::string::npos);
        // 11 lines: every value stayed on its own line.
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11);
        EXPECT_TRUE(text.ends_with("\n\n"));
    }
}

TEST(MstscFileText, IgnoresParametersItDoesNotRead) {
    Harness a;
    Harness b;
    const std::string plain = Filled(a, "&username=u&").MstscFileText();
    const std::string other =
        Filled(b, "&username=u&bpp=32&window_size=9&target_ip=1.2.3.4&rdpport=1&port=2&host=h&")
            .MstscFileText();
    EXPECT_EQ(plain, other);
}

}  // namespace
}  // namespace torvale::test
