#include "school/roster_numbers.h"

#include <span>
#include <utility>

#include "core/hub/hub.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/tables.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace bardrill::school {

namespace {

constexpr char kFullWidthBlank[] = "\xE3\x80\x80";

// A name as a child is recognised by: a spreadsheet may write 山田 太郎, 山田　太郎 or 山田太郎.
std::string NameKey(const std::string& name) {
  std::string key;
  const std::string_view blank = kFullWidthBlank;
  for (size_t i = 0; i < name.size();) {
    if (name[i] == ' ') {
      ++i;
    } else if (std::string_view(name).substr(i, blank.size()) == blank) {
      i += blank.size();
    } else {
      key += name[i++];
    }
  }
  return key;
}

using ChildKey = std::pair<std::string, int>;  // name without blanks, birth year
ChildKey KeyOf(const RosterEntry& e) { return {NameKey(e.name), e.birthYear}; }

std::string NameOf(const RosterEntry& e) { return text::Trim(e.name); }

std::string Drills(int64_t n) { return n == 1 ? "1 drill" : std::to_string(n) + " drills"; }

std::string Problem(const std::string& file, const RosterLine& row, const std::string& what) {
  return DataFileError(file, row.line, what).what();
}

class Planner {
 public:
  Planner(std::vector<RosterLine>& list, const std::vector<RosterLine>& roster, const NumberUse& use,
          NumberRule rule, const std::string& file)
      : list_(list), use_(use), rule_(rule), file_(file), owner_(kMaxStudent + 1, nullptr) {
    for (const RosterLine& line : roster) {
      owner_[static_cast<size_t>(line.entry.number)] = &line;
      onRoster_[KeyOf(line.entry)].push_back(&line);
    }
    for (const RosterLine& row : list_) ++inList_[KeyOf(row.entry)];
    for (const RosterLine& row : list_) match_.push_back(Match(row));
  }

  NumberPlan Plan() {
    if (rule_ == NumberRule::KeepNumbers) KeepNumbers();
    if (rule_ == NumberRule::MoveHistory) MoveHistory();
    std::vector<bool> given(kMaxStudent + 1, false);
    for (const RosterLine& row : list_) given[static_cast<size_t>(row.entry.number)] = true;
    for (size_t i = 0; i < list_.size(); ++i) Check(list_[i], match_[i], given);
    if (historyProblems_ > 0) plan_.problems.push_back(WaysOn());
    return std::move(plan_);
  }

 private:
  // The roster line of the same child, when exactly one line and one row of the list are that child.
  // Two children of one name and birth year cannot be told apart: where drills hang on it, that is a
  // problem for the options, which must know whose drills are whose.
  const RosterLine* Match(const RosterLine& row) {
    const auto found = onRoster_.find(KeyOf(row.entry));
    if (found == onRoster_.end()) return nullptr;
    const std::vector<const RosterLine*>& lines = found->second;
    if (lines.size() == 1 && inList_[KeyOf(row.entry)] == 1) return lines.front();
    bool drills = false;
    std::string numbers;
    for (const RosterLine* line : lines) {
      drills = drills || use_.drills[static_cast<size_t>(line->entry.number)] > 0;
      numbers += (numbers.empty() ? "" : ", ") + std::to_string(line->entry.number);
    }
    if (drills && rule_ != NumberRule::Refuse) {
      ++historyProblems_;
      plan_.problems.push_back(Problem(
          file_, row,
          NameOf(row.entry) + " (birth year " + std::to_string(row.entry.birthYear) +
              ") cannot be told from another child of the same name and birth year (on the roster: number " +
              numbers + "; in the list: " + std::to_string(inList_[KeyOf(row.entry)]) +
              " rows), so it cannot be said whose drills are whose; make the names differ on the roster "
              "and in the list"));
    }
    return nullptr;
  }

  void KeepNumbers() {
    std::vector<bool> taken(kMaxStudent + 1, false);
    for (const RosterLine* line : owner_)
      if (line) taken[static_cast<size_t>(line->entry.number)] = true;
    for (size_t n = 0; n < taken.size(); ++n) taken[n] = taken[n] || use_.recorded[n];
    for (size_t i = 0; i < list_.size(); ++i) {
      if (!match_[i]) continue;
      Renumber(list_[i], match_[i]->entry.number, "keeps");
    }
    int next = 1;
    for (size_t i = 0; i < list_.size(); ++i) {
      if (match_[i]) continue;
      while (next <= kMaxStudent && taken[static_cast<size_t>(next)]) ++next;
      if (next > kMaxStudent) {
        plan_.problems.push_back(Problem(file_, list_[i],
                                         NameOf(list_[i].entry) + " is new, and every number from 1 to " +
                                             std::to_string(kMaxStudent) + " is taken"));
        return;
      }
      taken[static_cast<size_t>(next)] = true;
      Renumber(list_[i], next, "is new and gets");
    }
  }

  void Renumber(RosterLine& row, int number, const std::string& how) {
    if (row.entry.number != number)
      plan_.notes.push_back(NameOf(row.entry) + " " + how + " the number " + std::to_string(number) +
                            " (the list gives " + std::to_string(row.entry.number) + ")");
    row.entry.number = number;
  }

  void MoveHistory() {
    for (size_t i = 0; i < list_.size(); ++i) {
      const RosterLine* was = match_[i];
      const int to = list_[i].entry.number;
      if (!was || was->entry.number == to || !use_.recorded[static_cast<size_t>(was->entry.number)]) continue;
      plan_.moves[was->entry.number] = to;
      plan_.notes.push_back("the " + Drills(use_.drills[static_cast<size_t>(was->entry.number)]) + " of " +
                            NameOf(list_[i].entry) + " move from the number " +
                            std::to_string(was->entry.number) + " to " + std::to_string(to));
    }
  }

  void Check(const RosterLine& row, const RosterLine* match, const std::vector<bool>& given) {
    const auto n = static_cast<size_t>(row.entry.number);
    const RosterLine* owner = owner_[n];
    if (owner && IsTeacher(owner->entry.name) && !IsTeacher(row.entry.name)) {
      plan_.problems.push_back(Problem(
          file_, row,
          "the number " + std::to_string(n) + " is the teacher " + NameOf(owner->entry) +
              "'s on the roster; the list gives it to " + NameOf(row.entry) +
              ", which would drop the teacher and with them the teacher's screens; give the child another "
              "number, or keep the teacher's line in the list"));
      return;
    }
    // Drills that stay under this number are its roster child's: the row must be that child.
    if (use_.drills[n] > 0 && !plan_.moves.count(static_cast<int>(n))) {
      const bool same =
          owner && NameKey(owner->entry.name) == NameKey(row.entry.name) && (!match || match == owner);
      if (!same) {
        ++historyProblems_;
        plan_.problems.push_back(
            Problem(file_, row,
                    "the number " + std::to_string(n) + " carries " + Drills(use_.drills[n]) +
                        (owner ? " of " + NameOf(owner->entry) : " of a child no longer on the roster") +
                        " in the results file; the list gives it to " + NameOf(row.entry) +
                        ", who would get those drills"));
      }
    }
    // A child leaving their drills behind under a number nobody gets (one given to another child is
    // named above, for that child's row).
    if (rule_ == NumberRule::Refuse && match && match->entry.number != row.entry.number) {
      const auto was = static_cast<size_t>(match->entry.number);
      if (use_.drills[was] > 0 && !given[was]) {
        ++historyProblems_;
        plan_.problems.push_back(Problem(file_, row,
                                         NameOf(row.entry) + "'s " + Drills(use_.drills[was]) +
                                             " are under the number " + std::to_string(was) +
                                             " in the results file; the list gives " + NameOf(row.entry) +
                                             " the number " + std::to_string(n) + ", without them"));
      }
    }
  }

  std::string WaysOn() const {
    const std::string nothing = file_ + ": nothing was written; ";
    switch (rule_) {
      case NumberRule::Refuse:
        return nothing +
               "the results file keeps each child's drills under their number. To import this list, "
               "run the import again with --keep-numbers (each child on the roster keeps the number their "
               "drills carry, a new child gets a number no one uses) or with --move-history (the list's "
               "numbers stand, and each child's drills are renumbered to follow them, after a copy of the "
               "results file is kept beside it)";
      case NumberRule::MoveHistory:
        return nothing +
               "--move-history moves the drills of the children who are both on the roster and in the "
               "list (same name and birth year); give a new child a number that carries no drills, or "
               "import with --keep-numbers";
      case NumberRule::KeepNumbers:
        break;
    }
    return nothing + "make the children named above differ, then import again";
  }

  std::vector<RosterLine>& list_;
  const NumberUse& use_;
  NumberRule rule_;
  const std::string& file_;
  std::vector<const RosterLine*> owner_;  // by number: the roster's line
  std::map<ChildKey, std::vector<const RosterLine*>> onRoster_;
  std::map<ChildKey, int> inList_;
  std::vector<const RosterLine*> match_;  // by list row
  NumberPlan plan_;
  int historyProblems_ = 0;
};

}  // namespace

NumberUse ReadNumberUse(const ResultsFile& results) {
  NumberUse use{std::vector<int64_t>(kMaxStudent + 1, 0), std::vector<bool>(kMaxStudent + 1, false)};
  results.ReadBlocks(1, [&](int64_t, std::span<const unsigned char> block) {
    for (size_t at = 0; at + kRecordSize <= block.size(); at += kRecordSize) {
      const unsigned char* r = block.data() + at;
      const int n = record_field::Bangou(r);
      if (n < 0 || n > kMaxStudent) continue;
      use.recorded[static_cast<size_t>(n)] = true;
      if (ResultRecord::IsValidResult(n, record_field::Level(r), record_field::Seconds(r),
                                      record_field::Date(r)))
        ++use.drills[static_cast<size_t>(n)];
    }
  });
  return use;
}

NumberPlan PlanNumbers(std::vector<RosterLine>& list, const std::vector<RosterLine>& roster,
                       const NumberUse& use, NumberRule rule, const std::string& file) {
  return Planner(list, roster, use, rule, file).Plan();
}

}  // namespace bardrill::school
