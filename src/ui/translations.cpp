#include "ui/translations.h"

#include <QLibraryInfo>

namespace qm {

QTranslator* LoadQtTranslations(QCoreApplication& app, const QLocale& locale) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return nullptr;
  }
  QCoreApplication::installTranslator(translator);
  return translator;
}

}  // namespace qm
