/* A virtual USB telephone handset for the Wine tests, as one kernel driver:
 *
 * - a HID minidriver for a root-enumerated device: its ids, report lengths
 *   and product string come from the service's Parameters key when the
 *   device is plugged; every output report is logged with its time; a
 *   microcontroller answers the probe report with a configured code;
 * - the handset's audio interface, enabled and disabled with the device, so
 *   plugging and unplugging announce both faces of a composite handset;
 * - a USB host controller \\.\HCD0 with a root hub and an optional external
 *   hub that answer the hub I/O controls with the handset's descriptors
 *   while it is plugged;
 * - the control channel \\.\CalvoxHandset (vhandset_control.h).
 *
 * libntoskrnl has no memcpy or memset: the copies are loops of our own. */
#include <ddk/wdm.h>

#include "vhandset_control.h"

/* --- HID minidriver interface (there is no hidport.h in mingw) ----------- */

typedef struct {
    ULONG Revision;
    PDRIVER_OBJECT DriverObject;
    PUNICODE_STRING RegistryPath;
    ULONG DeviceExtensionSize;
    BOOLEAN DevicesArePolled;
    UCHAR Reserved[3];
} HidMinidriverRegistration;

typedef struct {
    PDEVICE_OBJECT PhysicalDeviceObject;
    PDEVICE_OBJECT NextDeviceObject;
    PVOID MiniDeviceExtension;
} HidDeviceExtension;

typedef struct {
    PUCHAR reportBuffer;
    ULONG reportBufferLen;
    UCHAR reportId;
} HidXferPacket;

#pragma pack(push, 1)
typedef struct {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdHID;
    UCHAR bCountry;
    UCHAR bNumDescriptors;
    UCHAR bReportType;
    USHORT wReportLength;
} HidDescriptor;
#pragma pack(pop)

typedef struct {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
    USHORT Reserved[11];
} HidDeviceAttributes;

NTSTATUS NTAPI HidRegisterMinidriver(HidMinidriverRegistration* registration);

#define HID_INTERNAL(n) ((0x0Bu << 16) | ((n) << 2) | 3u)
#define HID_GET_DEVICE_DESCRIPTOR HID_INTERNAL(0)
#define HID_GET_REPORT_DESCRIPTOR HID_INTERNAL(1)
#define HID_READ_REPORT HID_INTERNAL(2)
#define HID_WRITE_REPORT HID_INTERNAL(3)
#define HID_GET_STRING HID_INTERNAL(4)
#define HID_GET_DEVICE_ATTRIBUTES HID_INTERNAL(9)

/* --- USB hub I/O controls (METHOD_BUFFERED, FILE_DEVICE_USB) ------------- */

#define USB_CONTROL(n) ((0x22u << 16) | ((n) << 2))
#define USB_GET_ROOT_HUB_NAME USB_CONTROL(258)
#define USB_GET_NODE_INFORMATION USB_CONTROL(258)
#define USB_GET_NODE_CONNECTION_INFORMATION USB_CONTROL(259)
#define USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION USB_CONTROL(260)
#define USB_GET_NODE_CONNECTION_NAME USB_CONTROL(261)

/* Offsets in the byte-packed records. */
#define NODE_INFORMATION_SIZE 76
#define NODE_PORTS_AT 6
#define CONNECTION_INFORMATION_SIZE 35
#define CONNECTION_VENDOR_AT 12
#define CONNECTION_PRODUCT_AT 14
#define CONNECTION_IS_HUB_AT 24
#define CONNECTION_STATUS_AT 31
#define CONNECTION_NAME_HEADER 8
#define DESCRIPTOR_REQUEST_HEADER 12
#define ROOT_HUB_NAME_HEADER 4

/* --- Configuration ---------------------------------------------------------- */

typedef struct {
    ULONG vendorId;
    ULONG productId;
    ULONG inputLength;  /* report id byte included */
    ULONG outputLength; /* report id byte included */
    ULONG mcuAnswer;    /* code the MCU answers the probe with; 0 = no MCU */
    ULONG totalLength;  /* wTotalLength of the configuration descriptor */
    ULONG interfaces;   /* bNumInterfaces */
    ULONG layout;       /* VH_LAYOUT_* */
    WCHAR product[64];
} Config;

static Config config;
static WCHAR parametersPath[256];

/* --- State shared between the dispatch routines -------------------------- */

static KSPIN_LOCK lock;
static PDEVICE_OBJECT controlDevice, hostController, rootHub, externalHub;
static LONG plugged;
static PIRP pendingRead;
static UCHAR inputQueue[64][VH_REPORT_MAX];
static ULONG inputHead, inputCount, lostInputs;
static VhLogEntry outputLog[VH_LOG_CAPACITY];
static ULONG logHead, logCount, lostEntries;
static UNICODE_STRING audioInterface;
static BOOLEAN audioRegistered;

/* {FBF6F530-07B9-11D2-A71E-0000F8004788}: the audio face Calvox pairs with HID arrivals. */
static const GUID audioClass = {
    0xFBF6F530, 0x07B9, 0x11D2, {0xA7, 0x1E, 0x00, 0x00, 0xF8, 0x00, 0x47, 0x88}};

static void Copy(void* to, const void* from, SIZE_T n) {
    UCHAR* t = to;
    const UCHAR* f = from;
    while (n--) *t++ = *f++;
}

static void Zero(void* to, SIZE_T n) {
    UCHAR* t = to;
    while (n--) *t++ = 0;
}

static SIZE_T WideLength(const WCHAR* text) {
    SIZE_T n = 0;
    while (text[n]) ++n;
    return n;
}

static void PutWord(UCHAR* at, ULONG value) {
    at[0] = (UCHAR)value;
    at[1] = (UCHAR)(value >> 8);
}

static void PutLong(UCHAR* at, ULONG value) {
    PutWord(at, value);
    PutWord(at + 2, value >> 16);
}

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* --- Parameters --------------------------------------------------------------- */

static HANDLE OpenParameters(void) {
    UNICODE_STRING name;
    OBJECT_ATTRIBUTES attributes;
    HANDLE key = NULL;
    RtlInitUnicodeString(&name, parametersPath);
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL,
                               NULL);
    if (ZwOpenKey(&key, KEY_READ, &attributes) != STATUS_SUCCESS) return NULL;
    return key;
}

/* A value of the key into `out` (at most `size` bytes of data); its length. */
static ULONG ReadValue(HANDLE key, const WCHAR* valueName, void* out, ULONG size) {
    UCHAR buffer[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + 160];
    KEY_VALUE_PARTIAL_INFORMATION* value = (KEY_VALUE_PARTIAL_INFORMATION*)buffer;
    UNICODE_STRING name;
    ULONG returned = 0;
    RtlInitUnicodeString(&name, valueName);
    if (ZwQueryValueKey(key, &name, KeyValuePartialInformation, buffer, sizeof buffer, &returned) !=
        STATUS_SUCCESS)
        return 0;
    if (value->DataLength < size) size = value->DataLength;
    Copy(out, value->Data, size);
    return size;
}

static void ReadDword(HANDLE key, const WCHAR* name, ULONG* out) {
    ULONG read = 0;
    if (key && ReadValue(key, name, &read, sizeof read) == sizeof read) *out = read;
}

static void LoadConfig(void) {
    static const WCHAR defaultProduct[] = L"Virtual USB Handset";
    HANDLE key = OpenParameters();
    config.vendorId = 0x2BC7;
    config.productId = 0x000E;
    config.inputLength = 5;
    config.outputLength = 8;
    config.mcuAnswer = 0x80;
    config.totalLength = 253;
    config.interfaces = 4;
    config.layout = VH_LAYOUT_ROOT;
    Zero(config.product, sizeof config.product);
    Copy(config.product, defaultProduct, sizeof defaultProduct);
    ReadDword(key, L"VendorId", &config.vendorId);
    ReadDword(key, L"ProductId", &config.productId);
    ReadDword(key, L"InputLength", &config.inputLength);
    ReadDword(key, L"OutputLength", &config.outputLength);
    ReadDword(key, L"McuAnswer", &config.mcuAnswer);
    ReadDword(key, L"TotalLength", &config.totalLength);
    ReadDword(key, L"Interfaces", &config.interfaces);
    ReadDword(key, L"Layout", &config.layout);
    if (key) {
        WCHAR product[64];
        ULONG read;
        Zero(product, sizeof product);
        read = ReadValue(key, L"Product", product, sizeof product - sizeof(WCHAR));
        if (read > sizeof(WCHAR)) Copy(config.product, product, sizeof product);
        ZwClose(key);
    }
    if (config.inputLength < 2) config.inputLength = 2;
    if (config.inputLength > VH_REPORT_MAX) config.inputLength = VH_REPORT_MAX;
    if (config.outputLength < 2) config.outputLength = 2;
    if (config.outputLength > VH_REPORT_MAX) config.outputLength = VH_REPORT_MAX;
}

/* --- Input reports --------------------------------------------------------------- */

static VOID NTAPI CancelRead(PDEVICE_OBJECT device, PIRP irp) {
    KIRQL irql;
    (void)device;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KeAcquireSpinLock(&lock, &irql);
    if (pendingRead == irp) pendingRead = NULL;
    KeReleaseSpinLock(&lock, irql);
    Complete(irp, STATUS_CANCELLED, 0);
}

/* Under the lock: takes the oldest queued report into the read, if both exist. */
static PIRP MatchRead(void) {
    PIRP irp = pendingRead;
    if (!irp || inputCount == 0) return NULL;
    if (IoSetCancelRoutine(irp, NULL) == NULL) return NULL; /* being cancelled */
    pendingRead = NULL;
    {
        IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
        ULONG length = stack->Parameters.DeviceIoControl.OutputBufferLength;
        if (length > config.inputLength - 1) length = config.inputLength - 1;
        /* Without report ids the stack reads the data bytes only. */
        Copy(irp->UserBuffer, inputQueue[inputHead] + 1, length);
        irp->IoStatus.Information = length;
    }
    inputHead = (inputHead + 1) % 64;
    --inputCount;
    return irp;
}

static void FinishMatched(PIRP irp) {
    if (!irp) return;
    irp->IoStatus.Status = STATUS_SUCCESS;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
}

static void QueueInput(const UCHAR* report, ULONG length) {
    KIRQL irql;
    PIRP matched;
    KeAcquireSpinLock(&lock, &irql);
    if (inputCount == 64) {
        ++lostInputs;
    } else {
        UCHAR* slot = inputQueue[(inputHead + inputCount) % 64];
        Zero(slot, VH_REPORT_MAX);
        Copy(slot, report, length > VH_REPORT_MAX ? VH_REPORT_MAX : length);
        ++inputCount;
    }
    matched = MatchRead();
    KeReleaseSpinLock(&lock, irql);
    FinishMatched(matched);
}

static NTSTATUS StartRead(PIRP irp) {
    KIRQL irql;
    PIRP matched;
    KeAcquireSpinLock(&lock, &irql);
    if (!plugged || pendingRead) {
        KeReleaseSpinLock(&lock, irql);
        return Complete(irp, plugged ? STATUS_DEVICE_BUSY : STATUS_DELETE_PENDING, 0);
    }
    IoMarkIrpPending(irp);
    pendingRead = irp;
    IoSetCancelRoutine(irp, CancelRead);
    if (irp->Cancel && IoSetCancelRoutine(irp, NULL) != NULL) {
        pendingRead = NULL;
        KeReleaseSpinLock(&lock, irql);
        Complete(irp, STATUS_CANCELLED, 0);
        return STATUS_PENDING;
    }
    matched = MatchRead();
    KeReleaseSpinLock(&lock, irql);
    FinishMatched(matched);
    return STATUS_PENDING;
}

/* The device goes: the waiting read ends, queued reports are dropped. */
static void Unplug(void) {
    KIRQL irql;
    PIRP irp;
    KeAcquireSpinLock(&lock, &irql);
    plugged = 0;
    irp = pendingRead;
    if (irp && IoSetCancelRoutine(irp, NULL) == NULL) irp = NULL;
    pendingRead = NULL;
    inputCount = 0;
    KeReleaseSpinLock(&lock, irql);
    if (irp) Complete(irp, STATUS_DELETE_PENDING, 0);
}

/* --- Output reports ---------------------------------------------------------------- */

static void LogOutput(UCHAR reportId, const UCHAR* data, ULONG length) {
    LARGE_INTEGER now = KeQueryPerformanceCounter(NULL);
    KIRQL irql;
    BOOLEAN probe;
    KeAcquireSpinLock(&lock, &irql);
    if (logCount == VH_LOG_CAPACITY) {
        ++lostEntries;
    } else {
        VhLogEntry* entry = &outputLog[(logHead + logCount) % VH_LOG_CAPACITY];
        ULONG n = length + 1 > VH_REPORT_MAX ? VH_REPORT_MAX : length + 1;
        Zero(entry, sizeof *entry);
        entry->time = now.QuadPart;
        entry->length = (UCHAR)n;
        entry->bytes[0] = reportId;
        Copy(entry->bytes + 1, data, n - 1);
        ++logCount;
    }
    KeReleaseSpinLock(&lock, irql);
    /* The MCU answers its probe (an MCU report with command byte 0x9F). */
    probe = length >= 2 && (data[0] & 0xC0) == 0x40 && data[1] == 0x9F;
    if (probe && config.mcuAnswer != 0) {
        UCHAR hello[VH_REPORT_MAX] = {0, 0x40, (UCHAR)config.mcuAnswer, 0, 0};
        QueueInput(hello, config.inputLength);
    }
}

static ULONG TakeLog(VhLogEntry* out, ULONG capacity) {
    KIRQL irql;
    ULONG n = 0;
    KeAcquireSpinLock(&lock, &irql);
    while (n < capacity && logCount > 0) {
        Copy(&out[n++], &outputLog[logHead], sizeof(VhLogEntry));
        logHead = (logHead + 1) % VH_LOG_CAPACITY;
        --logCount;
    }
    KeReleaseSpinLock(&lock, irql);
    return n;
}

/* --- HID minidriver ------------------------------------------------------------------ */

/* One vendor collection: (input length - 1) input bytes and (output length - 1)
 * output bytes, no report ids. */
static ULONG ReportDescriptor(UCHAR* out) {
    const UCHAR descriptor[] = {
        0x06, 0x00,
        0xFF,       /* usage page (vendor) */
        0x09, 0x01, /* usage 1 */
        0xA1, 0x01, /* collection (application) */
        0x15, 0x00, /* logical minimum 0 */
        0x26, 0xFF,
        0x00,       /* logical maximum 255 */
        0x75, 0x08, /* report size 8 */
        0x09, 0x02, /* usage 2 */
        0x95, (UCHAR)(config.inputLength - 1),
        0x81, 0x02, /* input (data, variable, absolute) */
        0x09, 0x03, /* usage 3 */
        0x95, (UCHAR)(config.outputLength - 1),
        0x91, 0x02, /* output (data, variable, absolute) */
        0xC0,       /* end collection */
    };
    if (out) Copy(out, descriptor, sizeof descriptor);
    return sizeof descriptor;
}

static NTSTATUS NTAPI HidInternalControl(PDEVICE_OBJECT device, PIRP irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    const ULONG outSize = stack->Parameters.DeviceIoControl.OutputBufferLength;
    (void)device;
    switch (code) {
        case HID_GET_DEVICE_DESCRIPTOR: {
            HidDescriptor descriptor = {sizeof(HidDescriptor),         0x21, 0x0101, 0, 1, 0x22,
                                        (USHORT)ReportDescriptor(NULL)};
            if (outSize < sizeof descriptor) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
            Copy(irp->UserBuffer, &descriptor, sizeof descriptor);
            return Complete(irp, STATUS_SUCCESS, sizeof descriptor);
        }
        case HID_GET_REPORT_DESCRIPTOR: {
            const ULONG length = ReportDescriptor(NULL);
            if (outSize < length) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
            ReportDescriptor(irp->UserBuffer);
            return Complete(irp, STATUS_SUCCESS, length);
        }
        case HID_GET_DEVICE_ATTRIBUTES: {
            HidDeviceAttributes attributes;
            Zero(&attributes, sizeof attributes);
            attributes.Size = sizeof attributes;
            attributes.VendorID = (USHORT)config.vendorId;
            attributes.ProductID = (USHORT)config.productId;
            attributes.VersionNumber = 0x0100;
            if (outSize < sizeof attributes) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
            Copy(irp->UserBuffer, &attributes, sizeof attributes);
            return Complete(irp, STATUS_SUCCESS, sizeof attributes);
        }
        case HID_GET_STRING: {
            /* The id is the low word of the input "pointer": 1-3 on Wine, 14-16
             * on Windows. Serial number: 3/16; every other id is the product. */
            const ULONG id =
                (ULONG)(ULONG_PTR)stack->Parameters.DeviceIoControl.Type3InputBuffer & 0xFFFF;
            static const WCHAR serial[] = L"0001";
            const WCHAR* text = (id == 3 || id == 16) ? serial : config.product;
            const ULONG bytes = (ULONG)((WideLength(text) + 1) * sizeof(WCHAR));
            if (outSize < bytes) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
            Copy(irp->UserBuffer, text, bytes);
            return Complete(irp, STATUS_SUCCESS, bytes);
        }
        case HID_READ_REPORT:
            return StartRead(irp);
        case HID_WRITE_REPORT: {
            HidXferPacket* packet = irp->UserBuffer;
            if (!plugged) return Complete(irp, STATUS_DELETE_PENDING, 0);
            LogOutput(packet->reportId, packet->reportBuffer, packet->reportBufferLen);
            return Complete(irp, STATUS_SUCCESS, packet->reportBufferLen);
        }
        default:
            DbgPrint("calvoxvh: internal control %08lx not supported\n", code);
            return Complete(irp, STATUS_NOT_SUPPORTED, 0);
    }
}

static NTSTATUS NTAPI HidPnp(PDEVICE_OBJECT device, PIRP irp) {
    HidDeviceExtension* ext = device->DeviceExtension;
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    switch (stack->MinorFunction) {
        case IRP_MN_START_DEVICE:
            InterlockedExchange(&plugged, 1);
            if (!audioRegistered &&
                IoRegisterDeviceInterface(ext->PhysicalDeviceObject, &audioClass, NULL,
                                          &audioInterface) == STATUS_SUCCESS)
                audioRegistered = TRUE;
            if (audioRegistered) IoSetDeviceInterfaceState(&audioInterface, TRUE);
            irp->IoStatus.Status = STATUS_SUCCESS;
            break;
        case IRP_MN_SURPRISE_REMOVAL:
        case IRP_MN_REMOVE_DEVICE:
            Unplug();
            if (audioRegistered) {
                IoSetDeviceInterfaceState(&audioInterface, FALSE);
                if (stack->MinorFunction == IRP_MN_REMOVE_DEVICE) {
                    RtlFreeUnicodeString(&audioInterface);
                    audioRegistered = FALSE;
                }
            }
            irp->IoStatus.Status = STATUS_SUCCESS;
            break;
        case IRP_MN_STOP_DEVICE:
        case IRP_MN_QUERY_REMOVE_DEVICE:
        case IRP_MN_CANCEL_REMOVE_DEVICE:
            irp->IoStatus.Status = STATUS_SUCCESS;
            break;
        default:
            break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(ext->NextDeviceObject, irp);
}

static NTSTATUS NTAPI AddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT device) {
    (void)driver;
    LoadConfig();
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

/* --- Host controller, hubs and the control channel ------------------------ */

static const WCHAR rootHubName[] = L"CalvoxRootHub";
static const WCHAR externalHubName[] = L"CalvoxExternalHub";

/* Where the handset hangs: the hub's device object and its port. */
static PDEVICE_OBJECT HandsetHub(void) {
    return config.layout == VH_LAYOUT_EXTERNAL ? externalHub : rootHub;
}
static ULONG HandsetPort(void) { return config.layout == VH_LAYOUT_EXTERNAL ? 3 : 1; }
static BOOLEAN IsExternalHubPort(PDEVICE_OBJECT hub, ULONG port) {
    return config.layout == VH_LAYOUT_EXTERNAL && hub == rootHub && port == 2;
}

/* A length-prefixed wide name record: `header` bytes (the length field at
 * header - 4), then the name. Returns the bytes written. */
static ULONG NameRecord(UCHAR* buffer, ULONG size, ULONG header, const WCHAR* name) {
    const ULONG actual = header + (ULONG)((WideLength(name) + 1) * sizeof(WCHAR));
    ULONG n;
    if (size < header) return 0;
    PutLong(buffer + header - 4, actual);
    n = actual < size ? actual : size;
    if (n > header) Copy(buffer + header, name, n - header);
    return n;
}

static ULONG ConfigurationDescriptor(UCHAR* out, ULONG size) {
    UCHAR bytes[9 * 9];
    ULONG n = 0, i, interfaces = config.interfaces > 8 ? 8 : config.interfaces;
    Zero(bytes, sizeof bytes);
    bytes[0] = 9;
    bytes[1] = 2;
    PutWord(bytes + 2, config.totalLength);
    bytes[4] = (UCHAR)config.interfaces;
    n = 9;
    for (i = 0; i < interfaces; ++i, n += 9) {
        bytes[n] = 9;
        bytes[n + 1] = 4;
        bytes[n + 2] = (UCHAR)i;
        /* Audio control and streaming first, the HID interface last. */
        bytes[n + 5] = i + 1 < interfaces ? 1 : 3;
    }
    if (n > size) n = size;
    Copy(out, bytes, n);
    return n;
}

static NTSTATUS HubControl(PDEVICE_OBJECT hub, PIRP irp, ULONG code, UCHAR* buffer, ULONG inSize,
                           ULONG outSize) {
    const ULONG ports = hub == rootHub ? 2 : 4;
    ULONG port = 0;
    BOOLEAN handsetHere;
    if (code == USB_GET_NODE_INFORMATION) {
        if (outSize < NODE_INFORMATION_SIZE) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        Zero(buffer, NODE_INFORMATION_SIZE);
        buffer[4] = 9;
        buffer[5] = 0x29;
        buffer[NODE_PORTS_AT] = (UCHAR)ports;
        return Complete(irp, STATUS_SUCCESS, NODE_INFORMATION_SIZE);
    }
    if (inSize < 4) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    port = buffer[0] | (buffer[1] << 8) | (buffer[2] << 16) | ((ULONG)buffer[3] << 24);
    if (port < 1 || port > ports) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    handsetHere = hub == HandsetHub() && port == HandsetPort() && plugged;
    switch (code) {
        case USB_GET_NODE_CONNECTION_INFORMATION:
            if (outSize < CONNECTION_INFORMATION_SIZE)
                return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
            Zero(buffer + 4, CONNECTION_INFORMATION_SIZE - 4);
            if (IsExternalHubPort(hub, port)) {
                buffer[CONNECTION_IS_HUB_AT] = 1;
                buffer[CONNECTION_STATUS_AT] = 1;
            } else if (handsetHere) {
                buffer[4] = 18;
                buffer[5] = 1;
                PutWord(buffer + CONNECTION_VENDOR_AT, config.vendorId);
                PutWord(buffer + CONNECTION_PRODUCT_AT, config.productId);
                buffer[CONNECTION_STATUS_AT] = 1;
            }
            return Complete(irp, STATUS_SUCCESS, CONNECTION_INFORMATION_SIZE);
        case USB_GET_NODE_CONNECTION_NAME:
            if (!IsExternalHubPort(hub, port)) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
            return Complete(irp, STATUS_SUCCESS,
                            NameRecord(buffer, outSize, CONNECTION_NAME_HEADER, externalHubName));
        case USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION: {
            ULONG wanted;
            if (!handsetHere || inSize < DESCRIPTOR_REQUEST_HEADER ||
                outSize < DESCRIPTOR_REQUEST_HEADER)
                return Complete(irp, STATUS_INVALID_PARAMETER, 0);
            /* Only the configuration descriptor (wValue 0x0200) is asked for. */
            if (buffer[7] != 2) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
            wanted = buffer[10] | (buffer[11] << 8);
            if (wanted > outSize - DESCRIPTOR_REQUEST_HEADER)
                wanted = outSize - DESCRIPTOR_REQUEST_HEADER;
            Zero(buffer + DESCRIPTOR_REQUEST_HEADER, wanted);
            ConfigurationDescriptor(buffer + DESCRIPTOR_REQUEST_HEADER, wanted);
            /* The device answers the whole requested length, zero-padded. */
            return Complete(irp, STATUS_SUCCESS, DESCRIPTOR_REQUEST_HEADER + wanted);
        }
        default:
            return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

static NTSTATUS ControlChannel(PIRP irp, ULONG code, UCHAR* buffer, ULONG inSize, ULONG outSize) {
    switch (code) {
        case VH_IOCTL_INJECT:
            if (inSize < 1 || inSize > VH_REPORT_MAX)
                return Complete(irp, STATUS_INVALID_PARAMETER, 0);
            if (!plugged) return Complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
            QueueInput(buffer, inSize);
            return Complete(irp, STATUS_SUCCESS, 0);
        case VH_IOCTL_TAKE_LOG:
            return Complete(
                irp, STATUS_SUCCESS,
                TakeLog((VhLogEntry*)buffer, outSize / sizeof(VhLogEntry)) * sizeof(VhLogEntry));
        case VH_IOCTL_STATE: {
            VhState state;
            KIRQL irql;
            if (outSize < sizeof state) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
            KeAcquireSpinLock(&lock, &irql);
            state.plugged = (unsigned int)plugged;
            state.lostEntries = lostEntries;
            state.lostInputs = lostInputs;
            state.queuedInputs = inputCount;
            KeReleaseSpinLock(&lock, irql);
            Copy(buffer, &state, sizeof state);
            return Complete(irp, STATUS_SUCCESS, sizeof state);
        }
        default:
            return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

static BOOLEAN IsOurs(PDEVICE_OBJECT device) {
    return device && (device == controlDevice || device == hostController || device == rootHub ||
                      device == externalHub);
}

/* hidclass owns these entries for the HID device; ours get theirs here. */
static PDRIVER_DISPATCH hidCreate, hidClose, hidControl;

static NTSTATUS NTAPI DispatchCreate(PDEVICE_OBJECT device, PIRP irp) {
    if (!IsOurs(device)) return hidCreate(device, irp);
    return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI DispatchClose(PDEVICE_OBJECT device, PIRP irp) {
    if (!IsOurs(device)) return hidClose(device, irp);
    return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI DispatchControl(PDEVICE_OBJECT device, PIRP irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    const ULONG inSize = stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG outSize = stack->Parameters.DeviceIoControl.OutputBufferLength;
    UCHAR* buffer = irp->AssociatedIrp.SystemBuffer;
    if (!IsOurs(device)) return hidControl(device, irp);
    if (device == controlDevice) return ControlChannel(irp, code, buffer, inSize, outSize);
    if (device == hostController) {
        if (code != USB_GET_ROOT_HUB_NAME) return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
        return Complete(irp, STATUS_SUCCESS,
                        NameRecord(buffer, outSize, ROOT_HUB_NAME_HEADER, rootHubName));
    }
    return HubControl(device, irp, code, buffer, inSize, outSize);
}

static PDEVICE_OBJECT NamedDevice(PDRIVER_OBJECT driver, const WCHAR* deviceName,
                                  const WCHAR* dosName) {
    UNICODE_STRING name, link;
    PDEVICE_OBJECT device = NULL;
    RtlInitUnicodeString(&name, deviceName);
    RtlInitUnicodeString(&link, dosName);
    if (IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &device) != STATUS_SUCCESS)
        return NULL;
    IoCreateSymbolicLink(&link, &name);
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return device;
}

static void DeleteNamed(PDEVICE_OBJECT device, const WCHAR* dosName) {
    UNICODE_STRING link;
    if (!device) return;
    RtlInitUnicodeString(&link, dosName);
    IoDeleteSymbolicLink(&link);
    IoDeleteDevice(device);
}

static VOID NTAPI Unload(PDRIVER_OBJECT driver) {
    (void)driver;
    DeleteNamed(controlDevice, VH_CONTROL_DOS_NAME);
    DeleteNamed(hostController, L"\\DosDevices\\HCD0");
    DeleteNamed(rootHub, L"\\DosDevices\\CalvoxRootHub");
    DeleteNamed(externalHub, L"\\DosDevices\\CalvoxExternalHub");
    controlDevice = hostController = rootHub = externalHub = NULL;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    static const WCHAR suffix[] = L"\\Parameters";
    HidMinidriverRegistration registration;
    SIZE_T n = registryPath->Length / sizeof(WCHAR), i;
    NTSTATUS status;

    if (n + sizeof suffix / sizeof(WCHAR) > sizeof parametersPath / sizeof(WCHAR))
        return STATUS_NAME_TOO_LONG;
    Copy(parametersPath, registryPath->Buffer, n * sizeof(WCHAR));
    for (i = 0; i < sizeof suffix / sizeof(WCHAR); ++i) parametersPath[n + i] = suffix[i];
    KeInitializeSpinLock(&lock);
    LoadConfig();

    driver->DriverExtension->AddDevice = AddDevice;
    driver->DriverUnload = Unload;
    driver->MajorFunction[IRP_MJ_PNP] = HidPnp;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = HidInternalControl;

    Zero(&registration, sizeof registration);
    registration.Revision = 1;
    registration.DriverObject = driver;
    registration.RegistryPath = registryPath;
    registration.DeviceExtensionSize = sizeof(ULONG_PTR);
    registration.DevicesArePolled = FALSE;
    status = HidRegisterMinidriver(&registration);
    if (status != STATUS_SUCCESS) return status;

    hidCreate = driver->MajorFunction[IRP_MJ_CREATE];
    hidClose = driver->MajorFunction[IRP_MJ_CLOSE];
    hidControl = driver->MajorFunction[IRP_MJ_DEVICE_CONTROL];
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreate;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;

    controlDevice = NamedDevice(driver, L"\\Device\\CalvoxHandsetControl", VH_CONTROL_DOS_NAME);
    hostController = NamedDevice(driver, L"\\Device\\CalvoxHcd0", L"\\DosDevices\\HCD0");
    rootHub = NamedDevice(driver, L"\\Device\\CalvoxRootHub", L"\\DosDevices\\CalvoxRootHub");
    externalHub =
        NamedDevice(driver, L"\\Device\\CalvoxExternalHub", L"\\DosDevices\\CalvoxExternalHub");
    return STATUS_SUCCESS;
}
