#include "platform/windows/AccessControl.h"

#include <aclapi.h>
#include <sddl.h>

#include "platform/windows/WideText.h"

namespace torvale {

std::vector<unsigned char> CurrentUserSid(std::string* err) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        FailLast(err);
        return {};
    }
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    std::vector<unsigned char> sid;
    if (size == 0 || !::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        FailLast(err);
    } else {
        const PSID user = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
        const auto* bytes = static_cast<const unsigned char*>(user);
        sid.assign(bytes, bytes + ::GetLengthSid(user));
    }
    ::CloseHandle(token);
    return sid;
}

std::string SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (sid == nullptr || !::ConvertSidToStringSidW(sid, &text)) return {};
    std::string result = Narrow(text);
    ::LocalFree(text);
    return result;
}

PrivateSecurity::PrivateSecurity(bool folder) {
    sid_ = CurrentUserSid(&error_);
    if (sid_.empty()) return;
    const PSID sid = sid_.data();
    acl_.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(sid));
    const auto acl = reinterpret_cast<PACL>(acl_.data());
    const DWORD inherit = folder ? OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE : 0;
    ok_ = (::InitializeAcl(acl, static_cast<DWORD>(acl_.size()), ACL_REVISION) &&
           ::AddAccessAllowedAceEx(acl, ACL_REVISION, inherit, FILE_ALL_ACCESS, sid) &&
           ::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
           ::SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) &&
           ::SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) ||
          FailLast(&error_);
    attributes_ = {sizeof attributes_, &descriptor_, FALSE};
}

bool SetPrivate(const std::wstring& path, bool private_, std::string* err) {
    DWORD directory = ::GetFileAttributesW(path.c_str());
    if (directory == INVALID_FILE_ATTRIBUTES) return FailLast(err);
    PrivateSecurity security((directory & FILE_ATTRIBUTE_DIRECTORY) != 0);
    if (private_ && security.List() == nullptr) {
        if (err != nullptr) *err = security.Error();
        return false;
    }
    // An empty list that is not protected: the entries the folder passes
    // down are all that remain.
    ACL empty;
    if (!private_ && !::InitializeAcl(&empty, sizeof empty, ACL_REVISION)) return FailLast(err);
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        (private_ ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
    std::wstring name = path;
    const DWORD status =
        ::SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, what, nullptr, nullptr,
                                private_ ? security.List() : &empty, nullptr);
    return status == ERROR_SUCCESS || FailWith(err, status);
}

bool ReadAccessList(HANDLE handle, AccessList* list, std::string* err) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = ::GetSecurityInfo(handle, SE_FILE_OBJECT,
                                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                           &owner, nullptr, &dacl, nullptr, &descriptor);
    if (status != ERROR_SUCCESS) return FailWith(err, status);
    list->owner = SidText(owner);
    list->unrestricted = dacl == nullptr;
    list->entries.clear();
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace)) continue;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        AccessEntry entry;
        entry.inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
        // The allow and deny entries of files, and their conditional forms,
        // share one layout: the mask, then the SID.
        const BYTE type = header->AceType;
        entry.allows = type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
        const bool plain = entry.allows || type == ACCESS_DENIED_ACE_TYPE ||
                           type == ACCESS_DENIED_CALLBACK_ACE_TYPE;
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        entry.rights = allowed->Mask;
        if (plain) {
            entry.sid = SidText(const_cast<DWORD*>(&allowed->SidStart));
        } else {
            // An object entry, which files do not carry: who knows whom it
            // lets in; taken as letting in someone else.
            entry.sid = "an entry of type " + std::to_string(type);
            entry.allows = type == ACCESS_ALLOWED_OBJECT_ACE_TYPE ||
                           type == ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE;
        }
        list->entries.push_back(std::move(entry));
    }
    ::LocalFree(descriptor);
    return true;
}

}  // namespace torvale
