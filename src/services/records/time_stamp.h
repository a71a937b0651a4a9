// The time stamps the record writers put into LastAccessDate.
#ifndef COMP_MGR_SERVICES_RECORDS_TIME_STAMP_H
#define COMP_MGR_SERVICES_RECORDS_TIME_STAMP_H

#include <ctime>
#include <string>

namespace comp_mgr {

constexpr char kInstalledStamp[] = "(I) ";
constexpr char kUpdatedStamp[] = "(U) ";

// `prefix` then the time as "%A, %B %d, %Y %H:%M:%S" with English day and
// month names whatever the locale, e.g. "Monday, December 04, 2006 15:04:33".
std::string FormatTimeStamp(const char* prefix, const std::tm& time);

}  // namespace comp_mgr

#endif
