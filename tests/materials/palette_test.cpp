#include "materials/palette.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/random_source.h"
#include "built_curves.h"
#include "materials/material_choice.h"
#include "materials/material_names.h"
#include "materials/material_palette.h"
#include "materials/material_set.h"

namespace zm {
namespace {

// Keeps the program-wide choice and random state as each test found them.
class PaletteTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::BuildCurvesOnce(); }
  void SetUp() override {
    saved_pattern_ = ChosenMaterial;
    saved_show_all_ = AllMaterialsShown;
    saved_random_ = ProgramRandom();
  }
  void TearDown() override {
    ChosenMaterial = saved_pattern_;
    AllMaterialsShown = saved_show_all_;
    ProgramRandom() = saved_random_;
  }

  static bool SameAs(const Palette& palette, int material) {
    return palette.Entries() == PaletteOf(MaterialSet[material]);
  }

 private:
  int8_t saved_pattern_ = 0;
  bool saved_show_all_ = true;
  RandomSource saved_random_;
};

TEST_F(PaletteTest, FixedMaterialGivesTheSamePaletteEveryTime) {
  SelectMaterial(5);
  const RandomSource random_before = ProgramRandom();
  const Palette first;
  const Palette second;
  EXPECT_EQ(first.Entries(), second.Entries());
  EXPECT_TRUE(SameAs(first, 5));
  EXPECT_EQ(ProgramRandom().Low(), random_before.Low());  // no draw taken
  EXPECT_EQ(ProgramRandom().High(), random_before.High());
}

TEST_F(PaletteTest, AllColorsDrawsEachMaterialFromTheRandomSource) {
  SelectMaterial(3);
  SelectAllColors();
  SeedRandom(20240611);
  RandomSource expected;
  expected.Seed(20240611);
  bool differed = false;
  for (int n = 0; n < 12; ++n) {
    const int material = static_cast<int>(expected.Draw31() % kMaterialCount);
    const Palette palette;
    ASSERT_TRUE(SameAs(palette, material)) << "palette " << n;
    if (n > 0 && material != 0) differed = differed || !SameAs(palette, 0);
  }
  EXPECT_TRUE(differed);
  EXPECT_EQ(ProgramRandom().Low(), expected.Low());
  EXPECT_EQ(ProgramRandom().High(), expected.High());
  EXPECT_EQ(ChosenMaterial, 3);  // a random draw does not replace the stored choice
  EXPECT_TRUE(AllMaterialsShown);
}

TEST_F(PaletteTest, StoredChoiceOutsideTheMaterialsFallsBackToMaterial0) {
  for (int8_t stored : {int8_t{9}, int8_t{42}, int8_t{-1}, int8_t{-128}}) {
    SelectMaterial(stored);
    const Palette palette;
    EXPECT_TRUE(SameAs(palette, 0)) << int{stored};
    EXPECT_EQ(ChosenMaterial, stored);
  }
  EXPECT_FALSE(SameAs(Palette(), 1));
}

TEST(MaterialChoice, SelectingKeepsOrClearsAllColors) {
  const int8_t saved_pattern = ChosenMaterial;
  const bool saved_show_all = AllMaterialsShown;
  SelectMaterial(7);
  EXPECT_FALSE(AllColorsSelected());
  EXPECT_EQ(ChosenMaterial, 7);
  SelectAllColors();
  EXPECT_TRUE(AllColorsSelected());
  EXPECT_EQ(ChosenMaterial, 7);
  ChosenMaterial = saved_pattern;
  AllMaterialsShown = saved_show_all;
}

TEST(MaterialChoice, IndexForStoredValue) {
  for (int index = 0; index < kMaterialCount; ++index) {
    EXPECT_EQ(MaterialIndexFor(static_cast<int8_t>(index)), index);
  }
  EXPECT_EQ(MaterialIndexFor(9), 0);
  EXPECT_EQ(MaterialIndexFor(127), 0);
  EXPECT_EQ(MaterialIndexFor(-1), 0);
}

TEST(kMaterialNames, CaptionsFindTheirIndexNotTheirPlaceInTheList) {
  EXPECT_EQ(MaterialIndexByCaption("Gold"), 5);
  EXPECT_EQ(MaterialIndexByCaption("Gold and red silk"), 7);
  EXPECT_EQ(MaterialIndexByCaption("gold"), -1);
  EXPECT_EQ(MaterialIndexByCaption(""), -1);
  const char* const dialog_order[] = {
      "Gold and white silk", "Gold and red silk", "Gold and blue silk", "Gold", "Silver", "Ice",
      "Red glass",           "Yellow and Green",  "White and Red"};
  for (int place = 0; place < kMaterialCount; ++place) {
    EXPECT_EQ(kMaterialNames[kMaterialListOrder[place]], dialog_order[place]);
  }
  auto order = kMaterialListOrder;
  std::sort(order.begin(), order.end());
  for (int index = 0; index < kMaterialCount; ++index) EXPECT_EQ(order[index], index);
}

}  // namespace
}  // namespace zm
