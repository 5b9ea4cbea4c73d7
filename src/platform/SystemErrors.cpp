#include "platform/SystemErrors.h"

#include <cerrno>
#include <cstring>
#include <string_view>

namespace tolv {
namespace {

struct Reason {
    int code;
    const char* text;
};
// The system's reasons, as the user should read them.
const Reason kReasons[] = {
    {EACCES, "アクセスが許可されていません"},
    {EPERM, "操作が許可されていません（書き込み禁止または読み取り専用のファイル）"},
    {EROFS, "読み取り専用の場所です"},
    {ENOENT, "ファイルまたはフォルダがありません"},
    {ENOSPC, "ディスクの空きがありません"},
    {EEXIST, "同じ名前のファイルがあります"},
    {ENOTDIR, "フォルダではありません"},
    {EISDIR, "フォルダです"},
    {EBUSY, "使用中です"},
    {EIO, "読み書きの障害です"},
    {ENAMETOOLONG, "名前が長すぎます"},
    {EMFILE, "開いているファイルが多すぎます"},
    {ELOOP, "リンクが循環しています"},
    {ENOTEMPTY, "フォルダが空ではありません"},
    {EXDEV, "別のドライブへは移せません"},
};

// What the standard library was doing, by the words its filesystem errors start with (the
// longest match wins, so "cannot copy file" is not taken for "cannot copy").
struct Operation {
    std::string_view english;
    const char* japanese;
};
const Operation kOperations[] = {
    {"cannot copy file", "ファイルをコピーできません"},
    {"cannot copy", "コピーできません"},
    {"cannot create directories", "フォルダを作れません"},
    {"cannot create directory", "フォルダを作れません"},
    {"cannot create hard link", "リンクを作れません"},
    {"cannot create symlink", "リンクを作れません"},
    {"cannot remove all", "削除できません"},
    {"cannot remove", "削除できません"},
    {"cannot rename", "名前を変えられません"},
    {"cannot resize file", "ファイルの大きさを変えられません"},
    {"cannot get file size", "ファイルの大きさを調べられません"},
    {"cannot get file time", "ファイルの日時を調べられません"},
    {"cannot set write time", "ファイルの日時を変えられません"},
    {"cannot set permissions", "ファイルの属性を変えられません"},
    {"cannot get free space", "空き容量を調べられません"},
    {"cannot make absolute path", "パスを調べられません"},
    {"cannot make canonical path", "パスを調べられません"},
    {"cannot canonicalize", "パスを調べられません"},
    {"cannot get current path", "作業フォルダを調べられません"},
    {"cannot set current path", "作業フォルダを変えられません"},
    {"cannot check file equivalence", "ファイルを調べられません"},
    {"cannot check existence", "ファイルを調べられません"},
    {"cannot check is_empty", "ファイルを調べられません"},
    {"cannot get link count", "ファイルを調べられません"},
    {"directory iterator cannot open directory", "フォルダを開けません"},
    {"directory iterator cannot advance", "フォルダを読めません"},
    {"recursive directory iterator cannot open directory", "フォルダを開けません"},
    {"recursive directory iterator cannot advance", "フォルダを読めません"},
    {"status", "ファイルを調べられません"},
    {"symlink_status", "ファイルを調べられません"},
};

// The operation's words: what() is "filesystem error: OPERATION: REASON [path] [path]".
const char* operationOf(const std::filesystem::filesystem_error& e)
{
    std::string_view what = e.what();
    const std::string_view head = "filesystem error: ";
    if (what.substr(0, head.size()) == head) what.remove_prefix(head.size());
    const Operation* best = nullptr;
    for (const Operation& o : kOperations)
        if (what.substr(0, o.english.size()) == o.english && (what.size() == o.english.size() || what[o.english.size()] == ':') &&
            (!best || o.english.size() > best->english.size()))
            best = &o;
    return best ? best->japanese : "ファイルを扱えません";
}

} // namespace

const char* systemReason(int code)
{
    for (const Reason& r : kReasons)
        if (r.code == code) return r.text;
    return nullptr;
}

ErrorKind errorKindOf(int code)
{
    switch (code) {
    case ENOENT:
    case ENOTDIR: return ErrorKind::NotFound;
    case EACCES:
    case EPERM: return ErrorKind::NoPermission;
    case EROFS: return ErrorKind::ReadOnly;
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
    case EWOULDBLOCK: return ErrorKind::InUse;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG: return ErrorKind::DiskFull;
    default: return ErrorKind::Other;
    }
}

TolvError systemError(const std::string& message, int code)
{
    return TolvError(message + " (" + reasonText(code) + ")", errorKindOf(code), code);
}

std::string reasonText(int code)
{
    const char* reason = systemReason(code);
    return reason ? std::string(reason) : "システムのエラー " + std::to_string(code);
}

std::string filesystemErrorText(const std::filesystem::filesystem_error& e)
{
    std::string text = std::string(operationOf(e)) + ": " + reasonText(e.code().value());
    for (const std::filesystem::path* p : {&e.path1(), &e.path2()})
        if (!p->empty()) text += "\n" + p->string();
    return text;
}

std::string userMessage(const std::exception& e)
{
    if (auto* fe = dynamic_cast<const std::filesystem::filesystem_error*>(&e)) return filesystemErrorText(*fe);
    std::string what = e.what();
    for (const Reason& r : kReasons) {
        const std::string english = std::string("(") + std::strerror(r.code) + ")";
        for (std::size_t at = what.find(english); at != std::string::npos; at = what.find(english, at))
            what.replace(at, english.size(), std::string("（") + r.text + "）");
    }
    return what;
}

} // namespace tolv
