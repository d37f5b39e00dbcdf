#include <gtest/gtest.h>

#include "app/LoginRules.h"

namespace {

TEST(LoginRules, TheLoginFormInTheAnswerMeansAFailedLogin) {
    EXPECT_TRUE(IsLoginSuccess(L""));
    EXPECT_TRUE(IsLoginSuccess(L"<div class=\"home\">welcome</div>"));
    EXPECT_FALSE(IsLoginSuccess(L"<form class=\"login\" action=\"/PLogin.do\">"));
    EXPECT_TRUE(IsLoginSuccess(L"<form class=\"Login\">"));  // case-sensitive
    EXPECT_TRUE(IsLoginSuccess(L"<form class='login'>"));    // the exact 13 characters only
}

}  // namespace
