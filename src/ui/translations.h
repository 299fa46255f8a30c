#pragma once
// Qt's own texts (file dialogs, standard buttons, the edit boxes' context
// menu) in the user's language.

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace qm {

/// Installs Qt's translations ("qtbase") for `locale` from Qt's translation
/// path into `app` and returns the translator (owned by `app`); nullptr
/// when Qt has none for that language.
QTranslator* LoadQtTranslations(QCoreApplication& app, const QLocale& locale = QLocale::system());

}  // namespace qm
