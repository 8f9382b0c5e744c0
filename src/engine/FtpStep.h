#pragma once

// Where the FTP dialogue of one login stands.
enum class FtpStep {
    Idle,       // no login under way
    Connecting, // waiting for the greeting
    UserSent,
    PassSent,
    LoggedIn,
    PasvSent,   // passive mode: waiting for the data address (PASV or EPSV)
    DataSetUp,  // TYPE I sent (and PORT or EPRT in active mode): waiting for their replies
    FactsAsked, // SIZE and MDTM sent: waiting for the file's size and time
    RestSent,
    RetrSent,
    Transferring, // the data flows
    ServerDone,   // the server has said the transfer is over
    Ended,        // the data connection has closed too
    Refused,      // the server refused; the login is over
};
