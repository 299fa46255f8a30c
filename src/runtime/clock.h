#pragma once
// Local calendar date and time.

namespace qm {

struct DateTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

/// The current local date-time.
DateTime Now();

}  // namespace qm
