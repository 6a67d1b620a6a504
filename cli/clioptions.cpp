// SPDX-License-Identifier: MIT
#include "cli/clioptions.h"

#include "search/countparser.h"

#include <QCommandLineParser>

#include <array>

namespace Qorvin::Cli {

using namespace Qt::StringLiterals;

namespace {

struct OptionEntry
{
    QStringList names;
    QString valueName; // empty for a flag
    QString description;
};

// One table feeds both the parser and the help text.
const std::array<OptionEntry, 11>& optionEntries()
{
    static const std::array<OptionEntry, 11> entries{{
        {{u"n"_s, u"count"_s}, u"COUNT"_s, u"要找的歌曲数，写法与窗口的结果数相同，默认 30"_s},
        {{u"o"_s, u"output"_s}, u"FILE"_s, u"结果页写到 FILE，默认当前文件夹的 result.htm"_s},
        {{u"max-empty-pages"_s}, u"N"_s, u"连续 N 页没有新歌曲就结束（仅 search），默认 3，0 表示不限"_s},
        {{u"json"_s}, {}, u"在标准输出打印 JSON: [{\"title\": …, \"link\": …}]"_s},
        {{u"m3u"_s}, u"FILE"_s, u"把歌曲地址写成 M3U 播放列表 FILE"_s},
        {{u"download"_s}, u"DIR"_s, u"把找到的歌曲下载到文件夹 DIR"_s},
        {{u"name"_s},
         u"TEMPLATE"_s,
         u"下载的文件名模板，可用 {title} {name} {singer} {n} {keyword}，/ 建子文件夹，默认 {title}"_s},
        {{u"no-tags"_s}, {}, u"下载后不写入歌曲信息（ID3 标签），保留服务器的原样"_s},
        {{u"q"_s, u"quiet"_s}, {}, u"不显示进度"_s},
        {{u"h"_s, u"help"_s}, {}, u"显示本帮助并退出"_s},
        {{u"version"_s}, {}, u"显示版本并退出"_s},
    }};
    return entries;
}

QList<QCommandLineOption> parserOptions()
{
    QList<QCommandLineOption> options;
    for (const OptionEntry& entry : optionEntries()) {
        options.append(entry.valueName.isEmpty()
                           ? QCommandLineOption(entry.names, entry.description)
                           : QCommandLineOption(entry.names, entry.description, entry.valueName));
    }
    return options;
}

ParsedCommandLine refused(const QString& message)
{
    ParsedCommandLine parsed;
    parsed.error = message;
    return parsed;
}

} // namespace

QString helpText()
{
    QString text = u"用法: mp3qorvin-cli search KEYWORD [-n COUNT] [-o FILE] [--max-empty-pages N] [--json]\n"
                   "                            [--m3u FILE] [--download DIR [--name TEMPLATE] [--no-tags]] [-q]\n"
                   "  或: mp3qorvin-cli topic CAPTION [-n COUNT] [-o FILE] [--json] [--m3u FILE]\n"
                   "                           [--download DIR [--name TEMPLATE] [--no-tags]] [-q]\n"
                   "  或: mp3qorvin-cli topics\n"
                   "按关键词搜索 MP3 歌曲，或抓取一个专题列表的歌曲，写出与窗口版相同的结果页。\n\n"
                   "命令:\n"
                   "  search KEYWORD   搜索关键词 KEYWORD\n"
                   "  topic CAPTION    抓取专题 CAPTION（如 新歌TOP100、热门DJ）\n"
                   "  topics           列出全部专题\n\n"
                   "选项:\n"_s;
    for (const OptionEntry& entry : optionEntries()) {
        QString names;
        for (const QString& name : entry.names)
            names += (names.isEmpty() ? QString() : u", "_s) + (name.size() == 1 ? u"-"_s : u"--"_s) + name;
        if (!entry.valueName.isEmpty())
            names += u' ' + entry.valueName;
        text += u"  "_s + names.leftJustified(22) + u' ' + entry.description + u'\n';
    }
    text += u"\n退出状态: 0 完成，1 失败（无法写文件、网络不可用、有歌曲下载失败），2 用法或结果数有误，"
            "130 被 Ctrl-C 中断。\n"
            "经 http_proxy 指定的代理访问网络。\n"_s;
    return text;
}

QString versionText()
{
    return u"mp3qorvin-cli "_s + QStringLiteral(QORVIN_VERSION) + u'\n';
}

ParsedCommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser.addOptions(parserOptions());
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return refused(u"未知的选项 “"_s + (unknown.constFirst().size() == 1 ? u"-"_s : u"--"_s) +
                           unknown.constFirst() + u"”。"_s);
        return refused(u"命令行有误: "_s + parser.errorText());
    }

    ParsedCommandLine parsed;
    CliOptions& options = parsed.options;
    if (parser.isSet(u"help"_s)) {
        options.command = Command::Help;
        return parsed;
    }
    if (parser.isSet(u"version"_s)) {
        options.command = Command::Version;
        return parsed;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return refused(u"缺少命令: search、topic 或 topics。"_s);
    const QString& command = positional.constFirst();
    if (command == u"topics"_s) {
        if (positional.size() > 1)
            return refused(u"topics 不带参数。"_s);
        options.command = Command::Topics;
        return parsed;
    }
    if (command == u"search"_s)
        options.command = Command::Search;
    else if (command == u"topic"_s)
        options.command = Command::Topic;
    else
        return refused(u"未知的命令 “"_s + command + u"”，应为 search、topic 或 topics。"_s);

    const QString what = options.command == Command::Search ? u"关键词"_s : u"专题名"_s;
    if (positional.size() < 2)
        return refused(u"缺少"_s + what + u"。"_s);
    if (positional.size() > 2)
        return refused(u"多余的参数 “"_s + positional.at(2) + u"”；含空格的"_s + what + u"请加引号。"_s);
    options.term = positional.at(1);

    if (parser.isSet(u"count"_s))
        options.countText = parser.value(u"count"_s);
    // Refused exactly as the window refuses it, before anything is requested or written.
    if (!parseWantedCount(options.countText))
        return refused(u"结果数 “"_s + options.countText +
                       u"” 无效: 应是一个数（可带小数点或指数），且在 32 位整数范围内。"_s);

    if (parser.isSet(u"max-empty-pages"_s)) {
        if (options.command != Command::Search)
            return refused(u"--max-empty-pages 只用于 search。"_s);
        bool ok = false;
        const QString text = parser.value(u"max-empty-pages"_s);
        options.maxEmptyPages = text.toInt(&ok);
        if (!ok || options.maxEmptyPages < 0)
            return refused(u"--max-empty-pages 的值 “"_s + text + u"” 无效: 应是 0 或正整数。"_s);
    }
    if (parser.isSet(u"output"_s))
        options.resultFile = parser.value(u"output"_s);
    if (options.resultFile.isEmpty())
        return refused(u"-o 需要一个文件名。"_s);
    options.json = parser.isSet(u"json"_s);
    options.m3uFile = parser.value(u"m3u"_s);
    if (parser.isSet(u"m3u"_s) && options.m3uFile.isEmpty())
        return refused(u"--m3u 需要一个文件名。"_s);
    options.downloadDir = parser.value(u"download"_s);
    if (parser.isSet(u"download"_s) && options.downloadDir.isEmpty())
        return refused(u"--download 需要一个文件夹。"_s);
    if (parser.isSet(u"name"_s)) {
        options.nameTemplate = parser.value(u"name"_s);
        if (const QString problem = nameTemplateProblem(options.nameTemplate); !problem.isEmpty())
            return refused(problem + u"。"_s);
    }
    options.writeTags = !parser.isSet(u"no-tags"_s);
    if (options.downloadDir.isEmpty() && (parser.isSet(u"name"_s) || parser.isSet(u"no-tags"_s)))
        return refused(u"--name 和 --no-tags 只用于 --download。"_s);
    options.quiet = parser.isSet(u"quiet"_s);
    return parsed;
}

} // namespace Qorvin::Cli
