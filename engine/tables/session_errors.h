#pragma once
// Native error codes of a session's connection and of the database
// registry.
#include <cstdint>

namespace dvx {

constexpr int32_t kErrTransactionNotDisk = 10831;   // "Cannot start transaction. Only disk databases are allowed for this"
constexpr int32_t kErrCreateDatabaseOpen = 20092;   // "Cannot create database. Database is already open"
// The server-side operations of a session; a local session has none.
constexpr int32_t kErrRemoteDatabaseNames = 10888;  // "Error - operation is not supported"
constexpr int32_t kErrRemoteSendMessage = 10889;    // "Error - operation is not supported"
constexpr int32_t kErrRemoteShutdown = 10890;       // "Error - operation is not supported"

// Codes of our own.
constexpr int32_t kErrSessionNotConnected = 30985;  // "Session is not connected to a database"
constexpr int32_t kErrSessionConnected = 30986;     // "Session is already connected to database '%s'"

}  // namespace dvx
