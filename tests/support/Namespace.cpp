#include "support/Namespace.h"

#include <sys/stat.h>
#include <unistd.h>

namespace torvale::test {

bool CanMountApplications() {
    static const bool can = [] {
        if (::geteuid() != 0) return false;
        ::mkdir("/Applications", 0755);
        return RunWithApplications({}, "true", {}, {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"})
                   .exitStatus == 0;
    }();
    return can;
}

ProcessResult RunWithApplications(const std::vector<std::string>& bundles,
                                  const std::string& script,
                                  const std::vector<std::string>& arguments,
                                  const std::vector<std::string>& env, const std::string& input) {
    std::string full = "mount -t tmpfs tmpfs /Applications || exit 97\n";
    for (const std::string& bundle : bundles)
        full += "mkdir '/Applications/" + bundle + "'\n";
    full += script;
    std::vector<std::string> argv = {"unshare", "-m", "--propagation", "private", "/bin/sh", "-c",
                                     full,      "sh"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProcess(argv, env, input);
}

}  // namespace torvale::test
