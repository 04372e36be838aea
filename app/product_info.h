#pragma once

#include "engine/product_version.h"

#include <QString>

// The product's name and version (from the build) and its web addresses, built into the program.
inline const QString kProductNameText = QString::fromUtf8(kProductName);
inline const QString kProductVersionText = QString::fromUtf8(kProductVersion);
inline const QString kHomePageAddress = QStringLiteral("https://www.pagewright.example/");
inline const QString kHelpPageAddress = QStringLiteral("https://www.pagewright.example/help.html");
