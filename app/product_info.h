#pragma once

#include <QString>

// Fixed values of the product, built into the program.
inline const QString kProductName = QStringLiteral("Pagewright");
inline const QString kProductVersion = QStringLiteral("1.10");
inline const QString kHomePageAddress = QStringLiteral("https://www.pagewright.example/");
inline const QString kHelpPageAddress = QStringLiteral("https://www.pagewright.example/help.html");
