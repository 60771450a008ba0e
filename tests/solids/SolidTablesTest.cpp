// The solid tables shipped under data/solids: each one's counts against its
// menu entry and its geometry (radius, equal edges, flat convex faces wound
// outwards, a closed surface), and how missing or damaged tables are met.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/DataDir.h"
#include "solids/SolidTables.h"

namespace wlg {
namespace {

// Points WHIRLIGONS_DATA_DIR somewhere for one test and puts it back after.
class DataDirOverride {
 public:
  explicit DataDirOverride(const std::string& dir) {
    if (const char* old = std::getenv("WHIRLIGONS_DATA_DIR")) old_ = old;
    setenv("WHIRLIGONS_DATA_DIR", dir.c_str(), 1);
  }
  ~DataDirOverride() {
    if (old_)
      setenv("WHIRLIGONS_DATA_DIR", old_->c_str(), 1);
    else
      unsetenv("WHIRLIGONS_DATA_DIR");
  }

 private:
  std::optional<std::string> old_;
};

struct V3 {
  double x, y, z;
};
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Cross(V3 a, V3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(V3 a) { return std::sqrt(Dot(a, a)); }
V3 AsV3(const SolidVertex& v) { return {v.x, v.y, v.z}; }

const std::string kTetraText =
    "1 1 1,\r\n1 -1 -1,\r\n-1 1 -1,\r\n-1 -1 1\r\ncoord\r\n"
    "0, 1, 2, -1,\r\n0, 2, 3, -1,\r\n0, 3, 1, -1,\r\n1, 3, 2, -1\r\npoint\r\n";

// ---- the catalogue

TEST(SolidCatalogueTest, EntriesAgreeWithThemselves) {
  std::set<std::string> keys;
  int index = 0;
  for (const SolidInfo& s : Solids()) {
    SCOPED_TRACE(s.key);
    EXPECT_TRUE(keys.insert(s.key).second);
    EXPECT_EQ(s.platonic, index++ < 5);
    EXPECT_EQ(std::string(s.menuName),
              (s.platonic ? "mnuPlatonic" : "mnuArchi") + std::string(s.key));

    // The caption ends with the face count.
    int faces = 0, edges2 = 0;
    for (int k = 0; k < s.kindCount; ++k) {
      faces += s.faceCounts[k];
      edges2 += s.faceCounts[k] * s.sides[k];
    }
    EXPECT_TRUE(std::string(s.caption).ends_with("(" + std::to_string(faces) + ")"));

    // One check-code digit per kind, in order, 9 standing for 10.
    std::string digits = std::to_string(s.checkCode);
    ASSERT_EQ(static_cast<int>(digits.size()), s.kindCount);
    for (int k = 0; k < s.kindCount; ++k) {
      const int d = digits[k] - '0';
      EXPECT_EQ(s.sides[k], d == 9 ? 10 : d);
      if (k > 0) {
        EXPECT_GT(s.sides[k], s.sides[k - 1]);
      }
    }

    // A closed surface: every edge between two faces, Euler's V - E + F = 2.
    ASSERT_EQ(edges2 % 2, 0);
    EXPECT_EQ(s.vertexCount - edges2 / 2 + faces, 2);
    EXPECT_LE(s.vertexCount, kMaxSolidVertices);
  }
  EXPECT_EQ(keys.size(), 18u);
}

TEST(SolidCatalogueTest, FindsKeysWithoutRegardToCase) {
  ASSERT_NE(FindSolid("tcocta"), nullptr);
  EXPECT_STREQ(FindSolid("tcocta")->key, "TCOcta");
  EXPECT_EQ(FindSolid("SICOS")->resource, 107);
  EXPECT_EQ(FindSolid("Sphere"), nullptr);
  EXPECT_EQ(FindSolid(""), nullptr);
  EXPECT_EQ(SolidTableFileName(*FindSolid("TIcosi")), "TICOSI.txt");
}

// ---- the shipped tables

class ShippedTableTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    info_ = &Solids()[GetParam()];
    std::string error;
    ASSERT_TRUE(LoadSolidTable(info_->key, table_, error)) << error;
    ASSERT_EQ(table_.info, info_);
  }
  const SolidInfo* info_ = nullptr;
  SolidTable table_;
  DataDirOverride source_{WHIRLIGONS_SOURCE_DATA_DIR};
};

TEST_P(ShippedTableTest, FollowsTheTextFormat) {
  std::ifstream in(SolidTablePath(*info_), std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_TRUE(bytes.ends_with("point\r\n"));
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ASSERT_EQ(bytes[i - 1], '\r') << "at byte " << i;
    }
  }
  ASSERT_EQ(static_cast<int>(table_.blocks.size()), info_->kindCount);
  for (const SolidFaceBlock& b : table_.blocks) {
    EXPECT_EQ(table_.lines[b.coordLine], "coord");
    EXPECT_EQ(table_.lines[b.pointLine], "point");
    for (int l = b.firstLine; l < b.coordLine; ++l)
      EXPECT_EQ(table_.lines[l].ends_with(','), l < b.coordLine - 1) << table_.lines[l];
    for (int l = b.coordLine + 1; l < b.pointLine; ++l) {
      const bool last = l == b.pointLine - 1;
      EXPECT_TRUE(table_.lines[l].ends_with(last ? ", -1" : ", -1,")) << table_.lines[l];
    }
  }
}

TEST_P(ShippedTableTest, VerticesLieOnTheCircumsphere) {
  for (const SolidFaceBlock& b : table_.blocks)
    for (const SolidVertex& v : b.vertices)
      EXPECT_NEAR(Length(AsV3(v)), info_->circumradius, 1e-3) << v.x << " " << v.y << " " << v.z;
}

TEST_P(ShippedTableTest, AllEdgesAreEqual) {
  double shortest = 1e9, longest = 0;
  for (const SolidFaceBlock& b : table_.blocks)
    for (const auto& f : b.faces)
      for (size_t i = 0; i < f.size(); ++i) {
        const double e = Length(AsV3(b.vertices[f[(i + 1) % f.size()]]) - AsV3(b.vertices[f[i]]));
        shortest = std::min(shortest, e);
        longest = std::max(longest, e);
      }
  EXPECT_LT(longest - shortest, 1e-4 * longest) << shortest << " .. " << longest;
}

TEST_P(ShippedTableTest, FacesArePlanarConvexAndWoundOutwards) {
  for (const SolidFaceBlock& b : table_.blocks)
    for (const auto& f : b.faces) {
      SCOPED_TRACE(::testing::PrintToString(f));
      const size_t n = f.size();
      auto p = [&](size_t i) { return AsV3(b.vertices[f[i % n]]); };
      V3 centre{0, 0, 0}, normal{0, 0, 0};
      for (size_t i = 0; i < n; ++i) {
        centre = centre + p(i);
        normal = normal + Cross(p(i), p(i + 1));  // Newell's normal
      }
      centre = {centre.x / n, centre.y / n, centre.z / n};
      const double area2 = Length(normal);
      ASSERT_GT(area2, 1e-6);
      const V3 unit{normal.x / area2, normal.y / area2, normal.z / area2};
      EXPECT_GT(Dot(unit, centre), 0.5 * Length(centre));  // faces away from the centre
      for (size_t i = 0; i < n; ++i) {
        EXPECT_NEAR(Dot(p(i) - centre, unit), 0, 1e-4);  // flat
        // Every corner turns the same way: convex, anticlockwise from outside.
        EXPECT_GT(Dot(Cross(p(i + 1) - p(i), p(i + 2) - p(i + 1)), unit), 0);
      }
      // The builder's winding test on the first three vertices agrees.
      EXPECT_GT(Dot(Cross(p(1) - p(0), p(2) - p(1)), p(0)), 0);
    }
}

TEST_P(ShippedTableTest, FacesCloseUpIntoOneConsistentSurface) {
  // Vertices by position, so blocks that repeat the list share them.
  std::map<std::array<long, 3>, int> ids;
  auto id = [&](const SolidVertex& v) {
    const std::array<long, 3> k{std::lround(v.x * 1e4), std::lround(v.y * 1e4),
                                std::lround(v.z * 1e4)};
    return ids.emplace(k, static_cast<int>(ids.size())).first->second;
  };
  std::map<std::pair<int, int>, int> directed;
  int faces = 0;
  for (const SolidFaceBlock& b : table_.blocks)
    for (const auto& f : b.faces) {
      ++faces;
      for (size_t i = 0; i < f.size(); ++i)
        ++directed[{id(b.vertices[f[i]]), id(b.vertices[f[(i + 1) % f.size()]])}];
    }
  // Each edge is walked once each way: two faces meet there, wound alike.
  for (const auto& [edge, count] : directed) {
    EXPECT_EQ(count, 1) << edge.first << "-" << edge.second;
    EXPECT_EQ(directed.count({edge.second, edge.first}), 1u) << edge.first << "-" << edge.second;
  }
  const int vertices = static_cast<int>(ids.size());
  EXPECT_EQ(vertices, info_->vertexCount);
  EXPECT_EQ(vertices - static_cast<int>(directed.size()) / 2 + faces, 2);
}

TEST_P(ShippedTableTest, StandsOnAVertexOnTheZAxis) {
  if (std::string(info_->key) == "Tetra") GTEST_SKIP() << "shipped in its own orientation";
  for (const SolidFaceBlock& b : table_.blocks) {
    bool found = false;
    for (const SolidVertex& v : b.vertices)
      found |= std::abs(v.x) < 1e-5 && std::abs(v.y) < 1e-5 &&
               std::abs(v.z - info_->circumradius) < 1e-3;
    EXPECT_TRUE(found);
  }
}

INSTANTIATE_TEST_SUITE_P(AllSolids, ShippedTableTest, ::testing::Range(0, kSolidCount),
                         [](const ::testing::TestParamInfo<int>& p) {
                           return std::string(Solids()[p.param].key);
                         });

TEST(ShippedTablesTest, TetrahedronAndCubeAreTheClassicTables) {
  DataDirOverride source(WHIRLIGONS_SOURCE_DATA_DIR);
  std::ifstream in(SolidTablePath(*FindSolid("Tetra")), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kTetraText);

  SolidTable cube;
  std::string error;
  ASSERT_TRUE(LoadSolidTable("cube", cube, error)) << error;
  const std::array<std::array<float, 3>, 8> v = {{{0, 0, 1.22474f},
                                                  {1.1547f, 0, 0.408248f},
                                                  {0.57735f, 1, -0.408248f},
                                                  {-0.57735f, 1, 0.408248f},
                                                  {-1.1547f, 0, -0.408248f},
                                                  {-0.57735f, -1, 0.408248f},
                                                  {0.57735f, -1, -0.408248f},
                                                  {0, 0, -1.22474f}}};
  const SolidFaceBlock& b = cube.blocks.at(0);
  ASSERT_EQ(b.vertices.size(), 8u);
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(b.vertices[i].x, v[i][0]);
    EXPECT_EQ(b.vertices[i].y, v[i][1]);
    EXPECT_EQ(b.vertices[i].z, v[i][2]);
  }
  const std::vector<std::vector<int>> faces = {{0, 1, 2, 3}, {0, 3, 4, 5}, {0, 5, 6, 1},
                                               {1, 6, 7, 2}, {3, 2, 7, 4}, {5, 4, 7, 6}};
  EXPECT_EQ(b.faces, faces);
}

// ---- reading damaged text

TEST(SolidTableParseTest, LineEndsAndPaddingDoNotMatter) {
  const SolidInfo& tetra = *FindSolid("Tetra");
  std::string lf = kTetraText;
  for (size_t at; (at = lf.find('\r')) != std::string::npos;) lf.erase(at, 1);
  const std::string padded = kTetraText + std::string(37, '\0');
  const std::string unended = kTetraText.substr(0, kTetraText.size() - 2);
  for (const std::string& text : {kTetraText, lf, padded, unended}) {
    SolidTable t;
    std::string error;
    ASSERT_TRUE(ParseSolidTable(text, tetra, t, error)) << error;
    ASSERT_EQ(t.lines.size(), 10u);
    EXPECT_EQ(t.lines[4], "coord");
    ASSERT_EQ(t.blocks.size(), 1u);
    EXPECT_EQ(t.blocks[0].vertices[3].x, -1);
    EXPECT_EQ(t.blocks[0].vertices[3].z, 1);
    EXPECT_EQ(t.blocks[0].faces[3], (std::vector<int>{1, 3, 2}));
  }
}

TEST(SolidTableParseTest, DamageIsReportedWithItsLine) {
  struct Case {
    std::string what, from, to, expected;
  };
  const std::vector<Case> cases = {
      {"bad number", "1 -1 -1,", "1 x -1,", "line 2: \"x\" is not a coordinate"},
      {"two coordinates", "1 -1 -1,", "1 -1,", "line 2: a vertex needs three"},
      {"four coordinates", "1 -1 -1,", "1 -1 -1 0,", "line 2: a vertex has only three"},
      {"exponent", "1 -1 -1,", "1 -1e0 -1,", "line 2:"},
      {"lost vertex", "-1 1 -1,\r\n", "", "line 4: face kind 1 has 3 vertices instead of 4"},
      {"index out of range", "0, 3, 1, -1,", "0, 4, 1, -1,", "line 8: vertex 4 does not exist"},
      {"negative index", "0, 3, 1, -1,", "0, -3, 1, -1,", "line 8: vertex -3 does not exist"},
      {"repeated index", "0, 3, 1, -1,", "0, 3, 0, -1,", "line 8: vertex 0 appears twice"},
      {"no end marker", "0, 3, 1, -1,", "0, 3, 1,", "line 8: a face must end with -1"},
      {"square face", "0, 3, 1, -1,", "0, 3, 1, 2, -1,", "line 8: a face of face kind 1 must"},
      {"lost face", "0, 3, 1, -1,\r\n", "", "line 9: face kind 1 has 3 faces instead of 4"},
      {"no coord line",
       "coord\r\n0, 1, 2, -1,\r\n0, 2, 3, -1,\r\n0, 3, 1, -1,\r\n1, 3, 2, -1\r\n"
       "point\r\n",
       "", "the \"coord\" line of face kind 1 is missing"},
      {"no point line", "\r\npoint\r\n", "\r\n", "the \"point\" line of face kind 1 is missing"},
      {"trailing text", "point\r\n", "point\r\n5 5 5\r\n", "line 11: text after the last block"},
  };
  const SolidInfo& tetra = *FindSolid("Tetra");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text = kTetraText;
    const size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, c.from.size(), c.to);
    SolidTable t;
    std::string error;
    EXPECT_FALSE(ParseSolidTable(text, tetra, t, error));
    EXPECT_TRUE(error.starts_with("Sorry, the solid table TETRA.txt is damaged")) << error;
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
  }
}

TEST(SolidTableParseTest, EveryFaceKindNeedsItsBlock) {
  // A truncated tetrahedron needs a triangle block and a hexagon block.
  const SolidInfo& ttet = *FindSolid("TTet");
  std::string text;
  for (int i = 0; i < 12; ++i) text += "1 0 0" + std::string(i < 11 ? ",\r\n" : "\r\n");
  text += "coord\r\n0, 1, 2, -1,\r\n3, 4, 5, -1,\r\n6, 7, 8, -1,\r\n9, 10, 11, -1\r\npoint\r\n";
  SolidTable t;
  std::string error;
  EXPECT_FALSE(ParseSolidTable(text, ttet, t, error));
  EXPECT_NE(error.find("the \"coord\" line of face kind 2 is missing"), std::string::npos) << error;
  EXPECT_EQ(t.blocks.at(0).faces.size(), 4u);  // what was read stays readable
}

// ---- finding the files

TEST(SolidTableLoadTest, MissingOrDamagedFilesGiveAMessage) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string root = dir.path().toStdString();
  DataDirOverride over(root);
  EXPECT_EQ(DataDir(), root);

  SolidTable t;
  std::string error;
  EXPECT_FALSE(LoadSolidTable("Octa", t, error));
  EXPECT_EQ(error, "Sorry, the solid table " + root + "/solids/OCTA.txt could not be read");

  ASSERT_TRUE(QDir(dir.path()).mkpath("solids"));
  {
    std::ofstream out(root + "/solids/OCTA.txt", std::ios::binary);
    out << kTetraText;  // a tetrahedron where an octahedron belongs
  }
  EXPECT_FALSE(LoadSolidTable("octa", t, error));
  EXPECT_NE(error.find("OCTA.txt is damaged at line 5: face kind 1 has 4 vertices instead of 6"),
            std::string::npos)
      << error;

  {
    std::ofstream out(root + "/solids/TETRA.txt", std::ios::binary);
    out << kTetraText;
  }
  EXPECT_TRUE(LoadSolidTable("TETRA", t, error)) << error;

  EXPECT_FALSE(LoadSolidTable("Teapot", t, error));
  EXPECT_EQ(error, "Sorry, there is no solid called \"Teapot\"");
}

TEST(SolidTableLoadTest, DataDirFallsBackWithoutTheOverride) {
  DataDirOverride over("");  // empty counts as unset
  const std::string dir = DataDir();
  EXPECT_TRUE(dir == WHIRLIGONS_SOURCE_DATA_DIR || dir == WHIRLIGONS_INSTALL_DATA_DIR) << dir;
}

}  // namespace
}  // namespace wlg
