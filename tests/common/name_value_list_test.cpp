#include "common/name_value_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using quorvel::NameValueList;

namespace {

TEST(NameValueList, ValueFindsNamesIgnoringCaseAndKeepsEverythingAfterTheFirstEquals) {
  NameValueList l({"semigual", "check_definition=true", "URL=http://x.com.br/a?b=c=d",
                   "vazio=", "ab=1", "Nome=João", "nome=segundo"});
  EXPECT_EQ(l.value("CHECK_DEFINITION"), "true");
  EXPECT_EQ(l.value("url"), "http://x.com.br/a?b=c=d");
  EXPECT_EQ(l.value("NOME"), "João");  // the first matching line wins
  EXPECT_EQ(l.value("a"), "");         // a name is never matched by its prefix
  EXPECT_FALSE(l.has("a"));
  EXPECT_FALSE(l.has("semigual"));  // a line without "=" has no name
  EXPECT_TRUE(l.has("vazio"));
  EXPECT_EQ(l.value("vazio"), "");
  EXPECT_EQ(l.value("ausente"), "");
}

TEST(NameValueList, SetValueReplacesInPlaceAppendsOrRemoves) {
  NameValueList l({"a=1", "b=2", "c=3"});

  l.setValue("B", "x=y");
  ASSERT_EQ(l.lines().size(), 3u);
  EXPECT_EQ(l.indexOfName("b"), 1);  // replaced where it was
  EXPECT_EQ(l.value("b"), "x=y");

  l.setValue("d", "4");
  EXPECT_EQ(l.lines().back(), "d=4");

  l.setValue("A", "");  // an empty value removes the line
  EXPECT_EQ((std::vector<std::string>{"B=x=y", "c=3", "d=4"}), l.lines());

  l.setValue("nenhum", "");  // removing an absent name changes nothing
  EXPECT_EQ(l.lines().size(), 3u);
}

}  // namespace
