#include "checks/CheckMenu.h"

#include "checks/CheckReports.h"
#include "checks/Rewrites.h"
#include "platform/Error.h"

#include <functional>

namespace tolv {
namespace {

// Passes a report through to the real printer and, when the report found nothing, prints a title
// and "該当なし" before the end of the job, so that an empty run still gives a page saying so.
// Reports that print their own title (grade, age) count their first text as that title.
class FindingsPrinter : public Printer {
public:
    FindingsPrinter(Printer& target, std::string title, bool titled) : target_(target), title_(std::move(title)), titled_(titled)
    {
    }
    int pageWidth() const override { return target_.pageWidth(); }
    int pageHeight() const override { return target_.pageHeight(); }

protected:
    void doFont(const std::string& name, double size) override { target_.setFont(name, size); }
    void doText(int x, int y, std::string_view text) override
    {
        ++texts_;
        target_.currentX = x;
        target_.currentY = y;
        target_.print(text, false);
    }
    void doLine(int x1, int y1, int x2, int y2, int width) override { target_.line(x1, y1, x2, y2, width); }
    void doBox(int x1, int y1, int x2, int y2, int width) override { target_.box(x1, y1, x2, y2, width); }
    void doNewPage() override { target_.newPage(); }
    void doEnd() override
    {
        constexpr int kTitleX = 3000, kTitleY = 1000, kLineX = 1000;
        if (texts_ <= (titled_ ? 1 : 0)) {
            if (!titled_) {
                target_.currentY = kTitleY;
                target_.printAt(kTitleX, title_);
                target_.newLine();
                target_.newLine();
            } else {
                target_.currentY = currentY;
            }
            target_.printAt(kLineX, kNothingFound);
        }
        target_.endDoc();
    }

private:
    static constexpr const char* kNothingFound = "該当なし";
    Printer& target_;
    std::string title_;
    bool titled_;
    int texts_ = 0;
};

const char* captionOf(CheckAction run);

void runReport(const char* caption, bool titled, Printer* printer, const std::function<void(Printer&)>& draw)
{
    enforce(printer != nullptr, "印刷先がありません");
    FindingsPrinter p(*printer, std::string(caption) + "チェック", titled);
    draw(p);
}

template <void (*Report)(const EntryStore&, Printer&)> void report(EntryStore& store, Printer* printer, Prompt&)
{
    runReport(captionOf(&report<Report>), Report == checkGrade || Report == checkAge, printer,
              [&](Printer& p) { Report(store, p); });
}

void fourEvents(EntryStore& store, Printer* printer, Prompt&)
{
    runReport("4種目以上", false, printer, [&](Printer& p) { checkFourEvents(store, p); });
}

template <void (*Rewrite)(EntryStore&)> void rewrite(EntryStore& store, Printer*, Prompt&) { Rewrite(store); }

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

const char* captionOf(CheckAction run)
{
    for (const CheckMenuItem& item : kItems)
        if (item.run == run) return item.caption;
    return "";
}

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
