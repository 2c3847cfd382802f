#pragma once

#include <QString>

namespace tobimaru {

/// The parent folder: "/a/b" → "/a", "/a" → "/", "/" and "" → "".
QString GetUpPath(const QString& path);
/// Same as GetUpPath; the name the folder-of-a-file callers use.
QString GetParentPath(const QString& path);
/// Text after the last dot of the last component, case kept; "" when there is none
/// ("/a.b/readme" → "", "x.tar.gz" → "gz", ".bashrc" → "bashrc").
QString GetExtension(const QString& path);
/// Last component without its extension ("/a/x.tar.gz" → "x.tar").
QString GetFileBaseName(const QString& path);
/// Last component with its extension.
QString GetFileNamePart(const QString& path);
/// True when a file (anything but a folder) exists at the path; false on any failure.
bool ExistsFile(const QString& path);
/// True when a folder exists at the path (links followed); false for "" and on any failure.
bool ExistsFolder(const QString& path);
/// `folder` + "/" + `name`, without doubling the slash after "/".
QString JoinPath(const QString& folder, const QString& name);

} // namespace tobimaru
