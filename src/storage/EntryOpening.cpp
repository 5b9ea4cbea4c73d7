#include "storage/EntryOpening.h"

#include "storage/EntryStore.h"
#include "storage/Verify.h"

namespace tolv {

namespace fs = std::filesystem;

namespace {

// The structure check of a file about to be opened; an empty report for a new file or one that
// cannot be read (opening it tells why). Damage (its size, its count against the records, bytes a
// field's reader cannot decode) keeps the file from being edited; data findings (values outside
// their coding, duplicate numbers, birth dates that are not dates) are for the checks and only noted.
VerifyReport verifyBeforeOpening(const fs::path& file)
{
    std::error_code ec;
    // A missing or nearly empty file is a new one: it is initialised when opened.
    if (!fs::is_regular_file(file, ec) || fs::file_size(file, ec) <= 10) return {};
    try {
        return verifyEntryFile(file);
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

EntryOpening::EntryOpening(fs::path path) : path_(std::move(path)) {}

EntryOpening::Outcome EntryOpening::open(EntryStore& store)
{
    // A file that is not sound is only looked at: a write could spread the damage.
    const VerifyReport report = verifyBeforeOpening(path_);
    std::vector<std::string> damage;
    for (const VerifyFinding& f : report.problems)
        if (f.kind == FindingKind::Damage) damage.push_back(f.message);
    note_ = report.sound() && !report.ok()
                ? "データの指摘があります: " + report.dataSummary() + "。「tolv verify」で一覧できます。"
                : std::string();
    if (!damage.empty()) {
        for (std::size_t i = 0; i < damage.size() && i < 5; ++i) damageList_ += "・" + damage[i] + "\n";
        if (damage.size() > 5) damageList_ += "ほか " + std::to_string(damage.size() - 5) + " 件\n";
        try {
            store.openEntryFile(path_, EntryStore::Access::Read);
        } catch (const std::exception&) {
            error_ = std::current_exception();
            return Outcome::DamagedUnreadable;
        }
        readOnly_ = true;
        return Outcome::Damaged;
    }
    try {
        store.openEntryFile(path_);
        return Outcome::Opened;
    } catch (const std::exception&) {
        error_ = std::current_exception();
    }
    // A write-protected file (or folder) can still be looked at and printed.
    bool readable = false;
    try {
        EntryStore probe;
        probe.openEntryFile(path_, EntryStore::Access::Read);
        readable = true;
    } catch (const std::exception&) {
    }
    return readable && fs::exists(path_) ? Outcome::AskReadOnly : Outcome::Failed;
}

void EntryOpening::openReadOnly(EntryStore& store)
{
    store.openEntryFile(path_, EntryStore::Access::Read);
    readOnly_ = true;
}

std::string EntryOpening::damagedMessage() const
{
    return "申込ファイルが正しい形ではありません: " + path_.string() + "\n" + damageList_ +
           "\n読み取り専用で開きます（表示と印刷だけができ、変更はできません）。"
           "「Work」→「元に戻す」かバックアップで直してください。";
}

const char* EntryOpening::readOnlyQuestion()
{
    return "\n\n書き込みできないため、変更はできません。\n"
           "OK: 読み取り専用で開きます（表示と印刷だけができます）。\n"
           "キャンセル: 開かずに起動画面に戻ります。";
}

} // namespace tolv
