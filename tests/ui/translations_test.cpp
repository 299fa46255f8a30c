#include "ui/translations.h"

#include <gtest/gtest.h>

#include "ui/qt_app.h"

namespace qm {
namespace {

TEST(QtTranslationsTest, QtsOwnTextsFollowTheChineseLanguage) {
  TestApp();
  QTranslator* chinese = LoadQtTranslations(*QCoreApplication::instance(), QLocale(QLocale::Chinese, QLocale::China));
  ASSERT_NE(chinese, nullptr) << "no qtbase_zh_CN.qm in Qt's translation path";
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("取消"));
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QString::fromUtf8("查找范围："));
  QCoreApplication::removeTranslator(chinese);
  delete chinese;
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));
}

}  // namespace
}  // namespace qm
