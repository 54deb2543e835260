// Start-up, and configuration.ini, which every pass reads afresh so that an
// administrator's change counts from the next launch URL on.

#include "core/AlertTitles.h"
#include "core/AppDelegate.h"

namespace torvale {

void AppDelegate::applicationWillFinishLaunching(const std::string& homeDirectory,
                                                 std::string_view searchPath) {
    Exclusively([&] {
        Locate(homeDirectory, searchPath);

        // The directory will hold connection files with passwords in them.
        // Without it every .rdp launch fails later, so say so now.
        if (!platform_.files.CreateDirectory(ConfigDir, 0700)) {
            Alert(titles::kSorry, "无法创建用户数据目录：" + ConfigDir);
        }
        // What a writer killed halfway left behind may hold a password.
        platform_.files.RemoveLeftovers(ConfigDir);
        // Only where nothing is: an administrator or a deployment tool may
        // be writing an allow-list there at this very moment.
        platform_.files.CreateEmptyFile(ConfigDir + "/configuration.ini", 0644);
    });
}

void AppDelegate::Locate(const std::string& homeDirectory, std::string_view searchPath) {
    home_ = homeDirectory;
    searchPath_ = searchPath;
    ConfigDir = homeDirectory + "/Documents" + "/torvale";
}

void AppDelegate::LoadConfiguration(bool alert) {
    const std::string path = ConfigDir + "/configuration.ini";
    config_ = ReadConfiguration(platform_.files, platform_.ini, path, clients_, home_);
    if (!alert) return;
    if (config_.unreadable) {
        Alert(titles::kSorry, "配置文件有误：" + path);
    } else if (config_.errorLine != 0) {
        Alert(titles::kSorry, "配置文件有误：" + path + ":" + std::to_string(config_.errorLine));
    }
}

}  // namespace torvale
