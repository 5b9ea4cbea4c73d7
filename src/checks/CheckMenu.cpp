#include "checks/CheckMenu.h"

#include "checks/CheckReports.h"
#include "checks/Rewrites.h"
#include "platform/Error.h"

namespace tolv {
namespace {

template <void (*Report)(const EntryStore&, Printer&)>
void report(EntryStore& store, Printer* printer, Prompt&)
{
    enforce(printer != nullptr, "印刷先がありません");
    Report(store, *printer);
}

void fourEvents(EntryStore& store, Printer* printer, Prompt&)
{
    enforce(printer != nullptr, "印刷先がありません");
    checkFourEvents(store, *printer);
}

template <void (*Rewrite)(EntryStore&)>
void rewrite(EntryStore& store, Printer*, Prompt&)
{
    Rewrite(store);
}

void prefecture(EntryStore& store, Printer*, Prompt&) { rewritePrefecture(store); }

constexpr CheckKind R = CheckKind::Report;
constexpr CheckKind W = CheckKind::Rewrite;

const CheckMenuItem kItems[] = {
    {"mCheck1", "番号", R, "number", report<checkNumber>},
    {"mCheck14", "旧番号", R, "qbango", report<checkOldNumber>},
    {"mCheck2", "生年月日", R, "birth", report<checkSameStem>},
    {"mCheck3", "フリカナ", R, "kana", report<checkKana>},
    {"mCheck4", "学年", R, "grade", report<checkGrade>},
    {"mCheck5", "年令", R, "age", report<checkAge>},
    {"mCheck11", "種別なし", R, "no-category", report<checkNoCategory>},
    {"mCheck8", "4種目以上", R, "four-events", fourEvents},
    {"mCheck15", "同タイム", R, "same-time", report<checkSameTime>},
    {"mCheck13", "フリカナ書き直し", W, "kana", rewrite<rewriteKana>},
    {"mCheck6", "年令書き直し", W, "age", rewrite<rewriteAge>},
    {"mCheck7", "学年書き直し", W, "grade", rewrite<rewriteGrade>},
    {"mCheck17", "学年(実業団)書き直し", W, "grade-company", rewrite<rewriteCompanyGrade>},
    {"mCheck10", "主登録書き直し", W, "main", rewrite<rewriteMainRegistration>},
    {"mCheck9", "副登録書き直し", W, "secondary", rewrite<rewriteSecondaryRegistration>},
    {"mCheck12", "県名書き直し", W, "prefecture", prefecture},
    {"mCheck16", "同タイム書き直し", W, "same-time", rewrite<rewriteSameTime>},
};

} // namespace

std::span<const CheckMenuItem> checkMenuItems() { return kItems; }

const CheckMenuItem* findCheckItem(CheckKind kind, const std::string& cliName)
{
    for (const CheckMenuItem& item : kItems)
        if (item.kind == kind && cliName == item.cliName) return &item;
    return nullptr;
}

const CheckMenuItem* findCheckItem(const std::string& objectName)
{
    for (const CheckMenuItem& item : kItems)
        if (objectName == item.objectName) return &item;
    return nullptr;
}

} // namespace tolv
