#include "platform/child_program.hpp"

#include <QProcess>

namespace tulvo::platform {

void startProgram(const std::filesystem::path& program,
                  const std::filesystem::path& workingDirectory,
                  const std::vector<std::string>& arguments, QObject* context,
                  std::function<void(int exitCode)> finished) {
    auto* process = new QProcess(context);
    process->setProgram(QString::fromStdString(std::filesystem::absolute(program).string()));
    QStringList words;
    for (const std::string& word : arguments) words << QString::fromStdString(word);
    process->setArguments(words);
    process->setWorkingDirectory(QString::fromStdString(workingDirectory.string()));
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setInputChannelMode(QProcess::ForwardedInputChannel);
    // Exactly one report: a program that cannot start reports an error and
    // never finishes; one that started always finishes.
    QObject::connect(process, &QProcess::finished, process,
                     [process, finished](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         finished(status == QProcess::NormalExit ? code : -1);
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, finished](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         process->deleteLater();
                         finished(-1);
                     });
    process->start();
}

}  // namespace tulvo::platform
