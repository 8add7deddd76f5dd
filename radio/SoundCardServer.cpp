// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundCardServer.h"

namespace winorbis::radio {

namespace {

ConverterLine::Options lineOptions(const SoundCardServer::Options& options) {
    ConverterLine::Options line;
    line.log = options.commandLog;
    line.error = options.error;
    return line;
}

} // namespace

SoundCardServer::SoundCardServer(const Clock& clock, AudioSource* source, AudioSink* sink, Ptt* ptt,
                                 Options options)
    : line_(lineOptions(options))
    , radio_(clock, source, sink, ptt,
             [this](const SoundCardRadio::ModelCall& call) { line_.withModel(call); }) {
    radio_.setEventHandler(options.event);
    radio_.setProblemHandler(options.error);
    line_.setRadio(&radio_);
    timer_.setInterval(options.pumpMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { radio_.pump(); });
}

SoundCardServer::~SoundCardServer() {
    stop();
    line_.setRadio(nullptr);
}

bool SoundCardServer::openAt(const QString& linkPath, QString* error) {
    if (!line_.openPseudoTerminalAt(linkPath, error))
        return false;
    timer_.start();
    return true;
}

void SoundCardServer::stop() {
    timer_.stop();
    line_.stop();
    radio_.shutdown();
}

} // namespace winorbis::radio
