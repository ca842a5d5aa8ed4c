#include "dialog/catalogue.h"

#include <gtest/gtest.h>

namespace {

using dialog::Msg;
using dialog::Text;

TEST(Catalogue, EveryMessageHasTextInBothLanguages) {
  for (int id = 0; id < static_cast<int>(Msg::Count); ++id) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(Text(static_cast<Msg>(id), 0).empty());
    EXPECT_FALSE(Text(static_cast<Msg>(id), 1).empty());
  }
}

TEST(Catalogue, TextsAreCodePageBytes) {
  EXPECT_EQ(Text(Msg::MenuPrompt, 1), "Geben Sie bitte die zugeh\x94rige Zahl an: ");
  EXPECT_EQ(Text(Msg::WrongInputBegin, 0), "Wrong input \xAF");
  EXPECT_EQ(Text(Msg::WrongInputEnd, 1), "\xAE, Korrektur: ");
  EXPECT_EQ(Text(Msg::ReenterOverlay, 1),
            "Wiederholen Sie bitte die Eingabe der gesamten \x9A" "berladeinformation:");
  EXPECT_EQ(Text(Msg::Banner, 1), "Ver-/Entschl\x81sselungsprogramm  T A R V E X 5  1.0");
}

}  // namespace
