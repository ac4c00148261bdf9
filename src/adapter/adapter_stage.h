// Where the adapter's firmware check and upgrade stand. The dialog does not act on it; the command line
// reads the outcome of a run from it.
#pragma once

enum class AdapterStage {
    kUnchecked,            // no check has run yet
    kNotFound,             // no adapter in its application mode
    kQueryFailed,          // the adapter did not answer the version query
    kImageUnreadable,      // the firmware image could not be read
    kNoImageVersion,       // the image carries no version: the adapter is left alone
    kCurrent,              // the adapter runs the image's version
    kNoArrivalNotice,      // arrivals cannot be heard of, so it was not sent into its boot loader
    kWaitingForLoader,     // sent into its boot loader; the upgrade goes on when it arrives
    kInstallationPending,  // device installation did not settle; the next arrival tries again
    kLoaderNotFound,       // no boot loader within the searches
    kDownloadFailed,       // a report was refused, the status read failed or the checksum differed
    kResetRefused,         // the boot loader refused to start the application
    kUpgraded,
};
