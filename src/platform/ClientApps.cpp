#include "platform/ClientApps.h"

namespace torvale::clients {

const ClientApp kFileZilla{
    "/Applications/FileZilla.app",
    "open /Applications/FileZilla.app --args ",
    "未检测到FileZilla\n请确保在\"应用程序(/Applications)\"目录有\"FileZilla.app\"程序",
};

const ClientApp kSecureCRT{
    "/Applications/SecureCRT.app",
    "open /Applications/SecureCRT.app -n --args",
    "未检测到SecureCRT\n请确保在\"应用程序(/Applications)\"目录有\"SecureCRT.app\"程序",
};

const ClientApp kMicrosoftRemoteDesktop{
    "/Applications/Microsoft Remote Desktop.app",
    "open /Applications/\"Microsoft Remote Desktop.app\" ",
    "未检测到远程桌面连接程序\n请确保在\"应用程序(/Applications)\"目录有\"Microsoft Remote "
    "Desktop.app\"程序",
};

const ClientApp kRemoteDesktopConnection{
    "/Applications/Remote Desktop Connection.app",
    "open /Applications/\"Remote Desktop Connection.app\" ",
    "未检测到远程桌面连接程序\n请确保在\"应用程序(/Applications)\"目录有\"Remote Desktop "
    "Connection.app\"程序",
};

const ClientApp kQuendalApp{
    "/Applications/QuendalApp.app",
    "open /Applications/QuendalApp.app --args ",
    "未检测到远程桌面连接程序\n请确保在\"应用程序(/Applications)\"目录有\"QuendalApp.app\"程序",
};

const ClientApp* const kAll[5] = {&kFileZilla, &kSecureCRT, &kMicrosoftRemoteDesktop,
                                  &kRemoteDesktopConnection, &kQuendalApp};

}  // namespace torvale::clients
