#include <gtest/gtest.h>

#include "app/RunState.h"

using namespace lorent;

TEST(WorkerContext, FreshContextProceedsAndIsOtherwiseEmpty) {
  const HWND window = reinterpret_cast<HWND>(0x1234);
  auto context = MakeWorkerContext(window);
  ASSERT_TRUE(context);
  EXPECT_EQ(context->hWnd, window);
  EXPECT_TRUE(context->bProceed);
  EXPECT_FALSE(context->bRun || context->bShowMessage || context->bOkOnly || context->bUserFolder || context->bShowUI);
  for (const std::wstring* text : {&context->strWorkFolder, &context->strChosenFolder, &context->strProductName,
                                   &context->strElevation, &context->strShowResult, &context->strSuccessCode,
                                   &context->strRunGuid, &context->strCmdLine, &context->strKeyText})
    EXPECT_TRUE(text->empty());
  EXPECT_EQ(context->pThread, nullptr);
}

TEST(RunState, StartsInteractiveWithExitCodeZero) {
  const CRunState state;
  EXPECT_TRUE(state.m_bShowUI);
  EXPECT_EQ(state.m_nSetupExitCode, 0);
  EXPECT_TRUE(state.m_strCmdLine.empty() && state.m_strShowResult.empty() && state.m_strSuccessCode.empty());
}
