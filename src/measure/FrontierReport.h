// FrontierReport: the frontier of a sweep told on the console and written
// beside the sweep's CSV, for the frontier command and the sweeps it runs.
#pragma once

#include <string>

#include "Frontier.h"
#include "ResultTable.h"

// Where the front of the sweep in `sweepCsv` is written: the same name with
// "-front" before its extension ("runs/a.csv" gives "runs/a-front.csv").
std::string frontierPath(std::string const& sweepCsv);

// Prints the front of `sweep` with its title (the cheapest row under the
// target) and writes it as CSV to `csv`, saying so. False, with one console
// line, when the sweep lacks a column the options name (nothing is written).
bool reportFrontier(ResultTable const& sweep, Frontier::Options const& options, std::string const& csv);

// Reads the sweep CSV at `sweepCsv` and reports its frontier to
// frontierPath(sweepCsv). False, with one console line, when the file cannot
// be read or lacks a column.
bool reportFrontierOf(std::string const& sweepCsv, Frontier::Options const& options);
