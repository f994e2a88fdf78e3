#pragma once
#include <string>

#include "core/app_state.h"

namespace bardrill::testing {

// School year 2004; students are added as roster rows.
struct School {
  AppState state;
  School() {
    state.SchoolYear = 2004;
    state.RosterRecords.resize(1);
    state.RosterNumbers.resize(1);
  }
  void Add(int number, int birthYear, const std::string& name) {
    RosterEntry e;
    e.number = number;
    e.birthYear = birthYear;
    e.name = name;
    state.RosterRecords.push_back(e);
    state.RosterNumbers.push_back(number);
    state.RosterCount++;
    state.StudentNames[number] = name;
    state.StudentBirthYears[number] = birthYear;
  }
};

}  // namespace bardrill::testing
