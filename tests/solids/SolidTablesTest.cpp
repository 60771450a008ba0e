// The shipped solid tables: counts and geometry of each, and how missing or
// damaged tables are reported.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <array>
#include <cstdlib>
#include <map>
#include <optional>

#include "solids/SolidKit.h"
#include "solids/SolidTables.h"

namespace wlg {
namespace {

// Points the data folder somewhere for one test and puts it back after.
struct DataDirOverride {
  explicit DataDirOverride(const std::string& dir) {
    if (const char* o = std::getenv("WHIRLIGONS_DATA_DIR")) old = o;
    setenv("WHIRLIGONS_DATA_DIR", dir.c_str(), 1);
  }
  ~DataDirOverride() {
    old ? setenv("WHIRLIGONS_DATA_DIR", old->c_str(), 1) : unsetenv("WHIRLIGONS_DATA_DIR");
  }
  std::optional<std::string> old;
};

using namespace testing;

V3 AsV3(const SolidVertex& v) { return {v.x, v.y, v.z}; }

const std::string kTetraText =
    "1 1 1,\r\n1 -1 -1,\r\n-1 1 -1,\r\n-1 -1 1\r\ncoord\r\n"
    "0, 1, 2, -1,\r\n0, 2, 3, -1,\r\n0, 3, 1, -1,\r\n1, 3, 2, -1\r\npoint\r\n";

TEST(ShippedTablesTest, EveryTableHasItsCountsAndARegularConvexShape) {
  DataDirOverride source(WHIRLIGONS_SOURCE_DATA_DIR);
  for (const SolidInfo& info : Solids()) {
    SCOPED_TRACE(info.key);
    SolidTable table;
    std::string error;
    ASSERT_TRUE(LoadSolidTable(info.key, table, error)) << error;
    ASSERT_EQ(static_cast<int>(table.blocks.size()), info.kindCount);
    // Vertices by position: blocks that repeat the list share them.
    std::map<std::array<long, 3>, int> ids;
    auto id = [&](const SolidVertex& v) {
      const std::array<long, 3> k{std::lround(v.x * 1e4), std::lround(v.y * 1e4),
                                  std::lround(v.z * 1e4)};
      return ids.emplace(k, static_cast<int>(ids.size())).first->second;
    };
    std::map<std::pair<int, int>, int> directed;
    double shortest = 1e9, longest = 0;
    for (int k = 0; k < info.kindCount; ++k) {
      const SolidFaceBlock& b = table.blocks[k];
      EXPECT_EQ(static_cast<int>(b.faces.size()), info.faceCounts[k]);
      bool onZAxis = false;
      for (const SolidVertex& v : b.vertices) {
        EXPECT_NEAR(Length(AsV3(v)), info.circumradius, 1e-3);
        onZAxis |= std::abs(v.x) < 1e-5 && std::abs(v.y) < 1e-5 &&
                   std::abs(v.z - info.circumradius) < 1e-3;
      }
      EXPECT_TRUE(onZAxis || std::string(info.key) == "Tetra");
      for (const auto& f : b.faces) {
        const size_t n = f.size();
        ASSERT_EQ(static_cast<int>(n), info.sides[k]);
        auto p = [&](size_t i) { return AsV3(b.vertices[f[i % n]]); };
        V3 centre, normal;
        for (size_t i = 0; i < n; ++i) {
          centre = centre + p(i);
          normal = normal + Cross(p(i), p(i + 1));  // Newell's normal
          const double e = Length(p(i + 1) - p(i));
          shortest = std::min(shortest, e);
          longest = std::max(longest, e);
          ++directed[{id(b.vertices[f[i]]), id(b.vertices[f[(i + 1) % n]])}];
        }
        centre = centre / n;
        const double area2 = Length(normal);
        ASSERT_GT(area2, 1e-6);
        const V3 unit = normal / area2;
        EXPECT_GT(Dot(unit, centre), 0.5 * Length(centre));  // wound outwards
        for (size_t i = 0; i < n; ++i) {
          EXPECT_NEAR(Dot(p(i) - centre, unit), 0, 1e-4);                        // flat
          EXPECT_GT(Dot(Cross(p(i + 1) - p(i), p(i + 2) - p(i + 1)), unit), 0);  // convex
        }
      }
    }
    EXPECT_LT(longest - shortest, 1e-4 * longest) << shortest << " .. " << longest;
    // Each edge walked once each way: two faces meet there, wound alike.
    for (const auto& [edge, count] : directed) {
      EXPECT_EQ(count, 1);
      EXPECT_EQ(directed.count({edge.second, edge.first}), 1u);
    }
    EXPECT_EQ(static_cast<int>(ids.size()), info.vertexCount);
    EXPECT_LE(info.vertexCount, kMaxSolidVertices);
  }
}

TEST(SolidTableParseTest, DamageIsReportedWithItsLine) {
  struct Case {
    std::string from, to, expected;
  };
  const std::vector<Case> cases = {
      {"1 -1 -1,", "1 x -1,", "line 2: \"x\" is not a coordinate"},
      {"-1 1 -1,\r\n", "", "line 4: face kind 1 has 3 vertices instead of 4"},
      {"0, 3, 1, -1,", "0, 4, 1, -1,", "line 8: vertex 4 does not exist"},
      {"0, 3, 1, -1,", "0, 3, 0, -1,", "line 8: vertex 0 appears twice"},
      {"0, 3, 1, -1,\r\n", "", "line 9: face kind 1 has 3 faces instead of 4"},
      {"point\r\n", "point\r\n5 5 5\r\n", "line 11: text after the last block"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    std::string text = kTetraText;
    text.replace(text.find(c.from), c.from.size(), c.to);
    SolidTable t;
    std::string error;
    EXPECT_FALSE(ParseSolidTable(text, *FindSolid("Tetra"), t, error));
    EXPECT_TRUE(error.starts_with("Sorry, the solid table TETRA.txt is damaged")) << error;
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
  }
}

TEST(SolidTableLoadTest, AMissingFileOrSolidGivesAMessage) {
  QTemporaryDir dir;
  const std::string root = dir.path().toStdString();
  DataDirOverride over(root);
  SolidTable t;
  std::string error;
  EXPECT_FALSE(LoadSolidTable("Octa", t, error));
  EXPECT_EQ(error, "Sorry, the solid table " + root + "/solids/OCTA.txt could not be read");

  EXPECT_FALSE(LoadSolidTable("octa", t, error));  // keys are found without regard to case
  EXPECT_EQ(error, "Sorry, the solid table " + root + "/solids/OCTA.txt could not be read");
  EXPECT_FALSE(LoadSolidTable("Teapot", t, error));
  EXPECT_EQ(error, "Sorry, there is no solid called \"Teapot\"");
}

}  // namespace
}  // namespace wlg
