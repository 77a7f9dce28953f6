/* The control channel of the virtual handset (\\.\CalvoxHandset), shared by
 * the kernel driver and the test programs. Plain C: the driver includes it. */
#ifndef CALVOX_VHANDSET_CONTROL_H
#define CALVOX_VHANDSET_CONTROL_H

#define VH_CONTROL_DOS_NAME L"\\DosDevices\\CalvoxHandset"
#define VH_CONTROL_PATH "\\\\.\\CalvoxHandset"

/* CTL_CODE(FILE_DEVICE_UNKNOWN, 0x800 + n, METHOD_BUFFERED, FILE_ANY_ACCESS) */
#define VH_CONTROL_CODE(n) ((0x22u << 16) | ((0x800u + (n)) << 2))
/* In: a whole input report, report id byte first. The device hands it to the
 * HID stack as its next input report. */
#define VH_IOCTL_INJECT VH_CONTROL_CODE(0)
/* Out: the output reports logged since the last call (VhLogEntry each, oldest
 * first); they are removed from the log. */
#define VH_IOCTL_TAKE_LOG VH_CONTROL_CODE(1)
/* Out: VhState. */
#define VH_IOCTL_STATE VH_CONTROL_CODE(2)

#define VH_REPORT_MAX 16
#define VH_LOG_CAPACITY 16384

typedef struct VhLogEntry {
    long long time;       /* performance counter at arrival */
    unsigned char length; /* bytes of the report, report id included */
    unsigned char bytes[VH_REPORT_MAX];
    unsigned char reserved[7];
} VhLogEntry;

typedef struct VhState {
    unsigned int plugged;      /* the HID device is started */
    unsigned int lostEntries;  /* output reports dropped from a full log */
    unsigned int lostInputs;   /* injected reports dropped from a full queue */
    unsigned int queuedInputs; /* injected reports not yet read */
} VhState;

/* Install-time parameters: DWORD values (Product: a string) under
 * HKLM\System\CurrentControlSet\Services\calvoxvh\Parameters, read when the
 * device is plugged. */
#define VH_SERVICE_NAME "calvoxvh"
#define VH_PARAMETERS_KEY "System\\CurrentControlSet\\Services\\calvoxvh\\Parameters"

/* Hub layouts. */
#define VH_LAYOUT_ROOT 0     /* root hub port 1 */
#define VH_LAYOUT_EXTERNAL 1 /* root hub port 2 -> external hub port 3 */

#endif
