/* The update library Corvane.dll: its records and exports, with C linkage. A caller sets up
   one check (CvSetup), initialises a status record per channel (CvInitialize), queries the
   update server, downloads what it offers and hands the files to the installer
   (CvRunCorvane), which a DLL runner starts in a process of its own (InstallUpdates). */
#ifndef CORVANE_H
#define CORVANE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#ifdef CORVANE_BUILDING
#define CV_EXPORT __declspec(dllexport)
#else
#define CV_EXPORT __declspec(dllimport)
#endif
/* The system's DLL runner calls its entry points as callbacks of the system's convention. */
#define CV_CALLBACK __stdcall
#else
#define CV_EXPORT __attribute__((visibility("default")))
#define CV_CALLBACK
#endif

typedef void* CvWindow; /* a window handle of the machine layer */
typedef void* CvHandle; /* a handle of the machine layer */

/* The window message posted to the notify window: status code, UpdateStatus address. */
#define UpdateStatusMessage 1290

/* Status codes: the first parameter of UpdateStatusMessage and the query's result. */
enum {
  UpdateError = 1,
  UpdateAvailable = 2,
  UpdateNone = 3,
  UpdateDownloaded = 4,
  UpdateDownloadFailed = 5,
  UpdateReplyShort = 6,
  UpdateReplyMismatch = 7,
  UpdateProxyFailure = 8,
  /* The list or a download was refused by the update key: detail is one of the reasons below,
     CvVerificationText tells it in words. Nothing of that list is downloaded or installed. */
  UpdateRefused = 9
};

/* Why a list or a download was refused. */
enum {
  RefusedNoSignature = 1,        /* no signature was served beside the list */
  RefusedMalformedSignature = 2, /* the signature file is not an issue time and Base64 */
  RefusedBadSignature = 3,       /* not the key's signature over this list */
  RefusedUnusableKey = 4,        /* the update key is no RSA public key of 3072 bits or more */
  RefusedReplayed = 5,           /* issued before the list accepted last on this channel */
  RefusedFromTheFuture = 6,      /* issued more than a day after the machine's time */
  RefusedOlderVersion = 7,       /* offers a version older than the installed one */
  RefusedEntryWithoutDigest = 8, /* a file line carries no SHA-256 digest */
  RefusedDigestMismatch = 9      /* a download does not match its digest */
};

/* One update check's configuration; copied whole, its texts are not. */
typedef struct UpdateSetup {
  uint32_t recordSize;
  const char* productCode;
  const char* settingsKey; /* below HKEY_LOCAL_MACHINE: the once-a-day gate's key */
  const char* queryUrl;
  const char* progressCaption;
  int32_t reserved;
  double currentVersion;
} UpdateSetup;

/* The state of one channel. abortRequested is set by CvAbort and read by the worker. */
typedef struct UpdateStatus {
  CvWindow notifyWindow;
  int32_t connectTimeout; /* seconds */
  int32_t showProgress;
  double currentVersion;
  int32_t result;
  CvHandle workerThread;
  double serverVersion;
  int32_t detail;
  int32_t abortRequested;
} UpdateStatus;

/* One file the server offers, as the library keeps it. */
typedef struct UpdateEntry {
  const char* fileName;
  const char* secondColumn;
  int32_t size;
  const char* downloadUrl;
  int32_t archive;
  int32_t run;
  const char* localCopy;
} UpdateEntry;

/* The vendor's key for the check set up last; CvSetup forgets it. With a key, a list is taken
   only with a valid signature beside it (the list's address with ".sig" after its path),
   issued no earlier than the list accepted last, whose issue time the library keeps in the
   value issuedValue of the setup's settings key; every file must carry its SHA-256 digest and
   match it. Without one (or a null record) lists are taken unverified. The texts are copied. */
typedef struct UpdateTrust {
  uint32_t recordSize;
  const char* publicKey;   /* PEM: "-----BEGIN PUBLIC KEY-----" ... */
  const char* issuedValue; /* e.g. "DatabaseListIssued" */
} UpdateTrust;

CV_EXPORT void CvSetup(const UpdateSetup* setup);
CV_EXPORT void CvSetTrust(const UpdateTrust* trust);
/* What the verification of the record's last list or download said: why it was refused, or a
   notice about a list that was taken (its age); "" when there is nothing to say. Copies at
   most size - 1 bytes and a NUL; returns the text's whole length. */
CV_EXPORT int32_t CvVerificationText(const UpdateStatus* status, char* buffer, int32_t size);
CV_EXPORT int32_t CvInitialize(UpdateStatus* status);
CV_EXPORT void CvCleanup(UpdateStatus* status);
CV_EXPORT int32_t CvQueryServer(UpdateStatus* status);
CV_EXPORT int32_t CvQueryServerAsync(UpdateStatus* status);
CV_EXPORT int32_t CvDownloadUpdate(UpdateStatus* status);
CV_EXPORT int32_t CvDownloadUpdateAsync(UpdateStatus* status);
CV_EXPORT int32_t CvDailyCheck(UpdateStatus* status);
CV_EXPORT int32_t CvDailyCheckAsync(UpdateStatus* status);
CV_EXPORT int32_t CvAbort(UpdateStatus* status);
CV_EXPORT int32_t CvRunCorvane(UpdateStatus* status);
CV_EXPORT void CV_CALLBACK InstallUpdates(CvWindow window, void* instance, char* commandLine,
                                          int show);

/* What the download's progress window shows, handed to a presenter the program sets (the
   program's own window); without one the library writes a progress line on standard error.
   The presenter may be called from the download's threads. */
typedef struct CvProgressView {
  const char* caption;
  const char* status;
  const char* timeLeft;
  const char* rate;
  int32_t bar; /* 0..100 */
  int32_t visible;
} CvProgressView;
typedef void (*CvProgressPresenter)(const CvProgressView* view, void* context);
CV_EXPORT void CvSetProgressPresenter(CvProgressPresenter presenter, void* context);
/* The progress window's Cancel button: hides it and stops the download after its block. */
CV_EXPORT void CvCancelDownload(void);

/* The library's entries after a query offered an update: their count, and one by index
   (valid until the next query). */
CV_EXPORT int32_t CvEntryCount(void);
CV_EXPORT int32_t CvGetEntry(int32_t index, UpdateEntry* entry);

#ifdef __cplusplus
}
#endif

#endif /* CORVANE_H */
