#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

// Makes a fresh temporary folder the working directory for one test and goes back afterwards.
class WorkingFolder {
public:
    WorkingFolder();
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    QString Path() const { return folder_.path(); }
    // Writes a file below the folder, creating its folders.
    void Write(const QString& relativePath, const QByteArray& content) const;
    QByteArray Read(const QString& relativePath) const;
    bool Exists(const QString& relativePath) const;

private:
    QTemporaryDir folder_;
    QString previous_;
};
