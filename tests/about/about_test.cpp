#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <map>

#include "fake_dialogs.h"
#include "frmabout.h"
#include "mdiform1.h"
#include "system_info.h"
#include "window_driver.h"

namespace {
const QString NoSystemInfo = "System-Informationen sind augenblicklich nicht verfügbar.";

SystemInfoHost::RegistryValue text(const std::string& s) {
    SystemInfoHost::RegistryValue v;
    v.type = 1;
    v.data.assign(s.begin(), s.end());
    v.data.push_back(0);
    return v;
}

// A registry and program start of our own: values by key and name, files that
// exist, programs started.
class FakeSystemInfo : public SystemInfoHost {
public:
    std::map<std::pair<std::string, std::string>, RegistryValue> values;
    std::vector<std::string> files;
    std::vector<std::string> started;
    std::optional<RegistryValue> queryValue(const std::string& key,
                                            const std::string& name) override {
        auto it = values.find({key, name});
        if (it == values.end())
            return std::nullopt;
        return it->second;
    }
    bool fileExists(const std::string& path) override {
        return std::find(files.begin(), files.end(), path) != files.end();
    }
    bool startProgram(const std::string& path) override {
        started.push_back(path);
        return true;
    }
};

const std::pair<std::string, std::string> MsinfoPath{"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                                                     "PATH"};
const std::pair<std::string, std::string> SharedTools{"SOFTWARE\\Microsoft\\Shared Tools Location",
                                                      "MSINFO"};
} // namespace

TEST(RegistryValues, StringsLoseTheirZeroAndNumbersReadAsDecimal) {
    EXPECT_EQ(registryValueText(text("C:\\msinfo32.exe")), "C:\\msinfo32.exe");
    // Bytes below 16 keep their leading zero digit: 05 01 00 00 is 0x105.
    EXPECT_EQ(registryValueText({4, {0x05, 0x01, 0x00, 0x00}}), "261");
    EXPECT_EQ(registryValueText({4, {0xFF, 0xFF, 0xFF, 0xFF}}), "4294967295");
    EXPECT_EQ(registryValueText({3, {1, 2}}), "");
    EXPECT_EQ(registryValueText({4, {1}}), "");
}

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override {
        window.systemInfo = &registry;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    frmAbout* openAbout() {
        chooseMenu(window, "I&nfo");
        frmAbout* about = nullptr;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            about = window.findChild<frmAbout*>("frmAbout");
            return about && about->isVisible();
        }));
        return about;
    }
    void clickSysInfo(frmAbout* about) {
        QTest::mouseClick(control<QPushButton>(*about, "cmdSysInfo"), Qt::LeftButton);
    }

    FakeDialogs dialogs;
    FakeSystemInfo registry;
    MDIForm1 window{dialogs};
};

TEST_F(AboutBox, InfoShowsItWithoutBlockingTheMainWindow) {
    frmAbout* about = openAbout();
    ASSERT_TRUE(about);
    EXPECT_EQ(about->windowTitle(), "Quillscope-Info");
    EXPECT_EQ(control<QLabel>(*about, "lblTitle")->text(), "Quillscope");
    EXPECT_FALSE(control<QLabel>(*about, "lblDescription")->text().isEmpty());
    EXPECT_EQ(control<QPushButton>(*about, "cmdOK")->text(), "&OK");
    EXPECT_EQ(control<QPushButton>(*about, "cmdSysInfo")->text(), "&System-Info...");
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(window.isEnabled());

    QTest::mouseClick(control<QPushButton>(*about, "cmdOK"), Qt::LeftButton);
    EXPECT_FALSE(about->isVisible());
    EXPECT_EQ(openAbout(), about);
}

TEST_F(AboutBox, SystemInfoStartsTheProgramTheRegistryNames) {
    registry.values[MsinfoPath] = text("C:\\Tools\\msinfo32.exe");
    registry.values[SharedTools] = text("C:\\Other");
    clickSysInfo(openAbout());
    EXPECT_EQ(registry.started, (std::vector<std::string>{"C:\\Tools\\msinfo32.exe"}));
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(AboutBox, SystemInfoFallsBackToTheSharedToolsFolder) {
    registry.values[SharedTools] = text("C:\\Shared\\MSInfo");
    frmAbout* about = openAbout();
    clickSysInfo(about);
    EXPECT_TRUE(registry.started.empty());
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, NoSystemInfo);

    registry.files = {"C:\\Shared\\MSInfo\\MSINFO32.EXE"};
    clickSysInfo(about);
    EXPECT_EQ(registry.started, (std::vector<std::string>{"C:\\Shared\\MSInfo\\MSINFO32.EXE"}));
    EXPECT_EQ(dialogs.messages().size(), 1u);
}

TEST_F(AboutBox, WithoutARegistryTheMessageShows) {
    frmAbout about(dialogs, platformSystemInfo());
    about.show();
    clickSysInfo(&about);
#ifndef _WIN32
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, NoSystemInfo);
#endif
    EXPECT_TRUE(registry.started.empty());
}
