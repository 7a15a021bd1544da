#pragma once

#include <QString>

// The site file central.conf in the install folder: where the central results database is.
// It holds the password, so it is kept from everybody outside the site's group, and it never
// goes into the shared database. Its lines are "url = <libpq URL>"; blank lines and lines
// starting with "#" are comments.
namespace kr7::central {

QString confFile();

// The configured URL; empty when there is no central.conf. Throws (kr7::Error) when the file
// can be read by others or holds no URL.
QString configuredUrl();

// Writes central.conf with the URL, readable by the site's group only.
void writeConf(const QString& url);

} // namespace kr7::central
