// The public conformance corpora (tests/data, see its SOURCES.md) against one
// table, corpus.tsv: what each file decodes to, or that it is refused, and
// what the loaders must say about it.
#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "base/imagesystem.h"
#include "testutil.h"

namespace fs = std::filesystem;

// Each row is "pattern result [text | text...]": every file the pattern
// matches (and no earlier row took) loads through the image system to
// `result` - "refused" or describe()'s size, depth and pixel hash - with each
// text somewhere in what the loaders printed. No loader may leave a file open.
TEST(Corpus, EveryFileLoadsAsTheTableSays) {
  ImageSystem::init();
  std::vector<std::string> files;
  for (auto const& e : fs::recursive_directory_iterator(corpus("")))
    if (e.is_regular_file()) files.push_back(fs::relative(e.path(), corpus("")).string());
  std::sort(files.begin(), files.end());
  std::set<std::string> taken;
  std::ifstream table(RB_SOURCE_DIR "/tests/image/corpus.tsv");
  int const fds = openDescriptors();
  int rows = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    std::string pattern, result, text;
    in >> pattern >> result >> std::ws;
    std::getline(in, text);
    int matched = 0;
    for (std::string const& f : files) {
      if (fnmatch(pattern.c_str(), f.c_str(), 0) || !taken.insert(f).second) continue;
      ++matched;
      ImagePtr img;
      Output o = captured([&] { img.reset(ImageSystem::load(corpus(f).c_str())); });
      EXPECT_EQ(describe(img.get()), result) << f;
      for (size_t from = 0, to; from <= text.size(); from = to + 3) {
        to = std::min(text.find(" | ", from), text.size());
        EXPECT_NE((o.out + o.err).find(text.substr(from, to - from)), std::string::npos) << f << " printed:\n" << o.out << o.err;
      }
    }
    EXPECT_GT(matched, 0) << "no file left for " << pattern;
    ++rows;
  }
  EXPECT_GT(rows, 200);
  EXPECT_EQ(openDescriptors(), fds);
}
