// FrontierReport: computing, printing and writing a sweep's front.
#include "FrontierReport.h"

#include "CsvReader.h"
#include "base/console.h"

std::string frontierPath(std::string const& sweepCsv) {
  size_t const slash = sweepCsv.find_last_of('/');
  size_t const dot = sweepCsv.find_last_of('.');
  bool const hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  if (!hasExtension) return sweepCsv + "-front.csv";
  return sweepCsv.substr(0, dot) + "-front" + sweepCsv.substr(dot);
}

bool reportFrontier(ResultTable const& sweep, Frontier::Options const& options, std::string const& csv) {
  Frontier front;
  std::string error;
  if (!Frontier::compute(sweep, options, front, error)) {
    con << "frontier: " << error << "\n";
    return false;
  }
  front.table().report(front.title(), csv, "frontier");
  return true;
}

bool reportFrontierOf(std::string const& sweepCsv, Frontier::Options const& options) {
  ResultTable sweep{std::vector<std::string>()};
  std::string error;
  if (!CsvReader::read(sweepCsv, sweep, error)) {
    con << "frontier: " << error << "\n";
    return false;
  }
  return reportFrontier(sweep, options, frontierPath(sweepCsv));
}
