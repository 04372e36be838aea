#pragma once

#include "app/build_settings.h"
#include "engine/product_version.h"

#include <QString>

// The product's name and version and its home page's address, as the build gives them.
inline const QString kProductNameText = QString::fromUtf8(kProductName);
inline const QString kProductVersionText = QString::fromUtf8(kProductVersion);
inline const QString kHomePageAddress = QString::fromUtf8(kHomePage);
