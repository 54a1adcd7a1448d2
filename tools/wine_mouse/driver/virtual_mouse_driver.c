/*
 * t47vmouse.sys: the virtual mouse, a HID minidriver below Wine's hidclass.sys on root device
 * nodes of its own. Each node is one top-level collection of the mouse, so that Wine (which
 * makes one HID interface per node) lists four interfaces as Windows does for the real mouse:
 *
 *   node   collection               report
 *   COL01  vendor page FF00, 1      feature 3, 40 bytes with the id
 *   COL02  vendor page FF00, 2      feature 4, 2049 bytes
 *   COL03  vendor page FF00, 3      feature 6, 8 bytes
 *   COL04  vendor page FF01, 1      input 2, 4 bytes
 *
 * The mouse stores each feature report it is sent and returns it when asked, logs every
 * transfer, and can be told through its control device (mouse_control_codes.h) to refuse
 * transfers, send input reports, hold other reports or report other ids. Its state is global to
 * the driver, under one spin lock, and shared by the nodes.
 *
 * HidRegisterMinidriver takes over the create, close, cleanup, control, read and write routines
 * of the driver object, since the class driver's collection devices belong to it. DriverEntry
 * therefore wraps them afterwards: requests to the control device are answered here, every
 * other one goes to the class driver.
 *
 * Freestanding: no C library, and no stack probes, so locals stay well under 4 KiB.
 */
#include <ddk/wdm.h>

#include "../mouse_control_codes.h"
#include "hid_minidriver.h"

#define kVersionNumber 0x0100

/* One collection of 8-bit vendor-defined values: usage page, usage, report id, count, kind. */
#define VENDOR_COLLECTION(pageLow, pageHigh, usage, id, countItem, mainItem)     \
    0x06, pageLow, pageHigh, /* Usage Page (vendor) */                           \
        0x09, usage,         /* Usage */                                         \
        0xA1, 0x01,          /* Collection (Application) */                      \
        0x85, id,            /*   Report ID */                                   \
        0x09, usage,         /*   Usage */                                       \
        0x15, 0x00,          /*   Logical Minimum (0) */                         \
        0x26, 0xFF, 0x00,    /*   Logical Maximum (255) */                       \
        0x75, 0x08,          /*   Report Size (8) */                             \
        countItem,           /*   Report Count */                                \
        mainItem,            /*   Feature or Input (Data, Variable, Absolute) */ \
        0xC0                 /* End Collection */

#define COUNT8(n) 0x95, (n)
#define COUNT16(n) 0x96, ((n)&0xFF), ((n) >> 8)
#define FEATURE 0xB1, 0x02
#define INPUT 0x81, 0x02

/* The lengths the system computes from these count the id byte too: 40, 2049, 8 and 4. */
static const UCHAR kSettingsCollection[] = {
    VENDOR_COLLECTION(0x00, 0xFF, 0x01, 0x03, COUNT8(39), FEATURE)};
static const UCHAR kButtonsCollection[] = {
    VENDOR_COLLECTION(0x00, 0xFF, 0x02, 0x04, COUNT16(2048), FEATURE)};
static const UCHAR kCommandCollection[] = {
    VENDOR_COLLECTION(0x00, 0xFF, 0x03, 0x06, COUNT8(7), FEATURE)};
static const UCHAR kInputCollection[] = {
    VENDOR_COLLECTION(0x01, 0xFF, 0x01, 0x02, COUNT8(3), INPUT)};

/* By the number n of the node's hardware id (T47VMOUSE\COL0n), 1 to 4. */
static const struct {
    const UCHAR* data;
    USHORT length;
} kCollections[] = {
    {0, 0},
    {kSettingsCollection, sizeof(kSettingsCollection)},
    {kButtonsCollection, sizeof(kButtonsCollection)},
    {kCommandCollection, sizeof(kCommandCollection)},
    {kInputCollection, sizeof(kInputCollection)},
};
#define kInputNode 4

/* What HidD_GetInputReport returns before any input report was sent. */
static const UCHAR kFirstInput[] = {0x02, 0x00, 0x01, 0x00};

struct StoredReport {
    UCHAR id;
    ULONG length; /* the id byte included */
    UCHAR* bytes;
};

static UCHAR settingsReport[40], buttonsReport[2049], commandReport[8];
static struct StoredReport storedReports[] = {
    {3, sizeof(settingsReport), settingsReport},
    {4, sizeof(buttonsReport), buttonsReport},
    {6, sizeof(commandReport), commandReport},
};
#define kStoredReportCount (sizeof(storedReports) / sizeof(storedReports[0]))

struct LogRecord {
    ULONG seq;
    LONGLONG qpc;
    UCHAR op, reportId;
    LONG status;
    ULONG length, dataLength;
    UCHAR data[T47_MOUSE_FEATURE_MAX];
};

/* The mouse's state, all under `lock`. */
static KSPIN_LOCK lock;
static struct LogRecord logRing[T47_MOUSE_LOG_DEPTH];
static ULONG nextSeq = 1;
static ULONG refusalsLeft, refusalKinds;
static NTSTATUS refusalStatus;
static UCHAR inputQueue[T47_MOUSE_INPUT_DEPTH][T47_MOUSE_INPUT_MAX];
static ULONG inputLengths[T47_MOUSE_INPUT_DEPTH], inputHead, inputCount;
static UCHAR lastInput[T47_MOUSE_INPUT_MAX];
static ULONG lastInputLength;
static USHORT vendorId, productId;
static ULONG nodesStarted, resets;
static LONGLONG qpcFrequency, loadedQpc;
static DEVICE_OBJECT* controlDevice;
static UNICODE_STRING controlLink;

struct Node {
    ULONG collection; /* 1 to 4, see kCollections */
    LIST_ENTRY reads; /* the class driver's waiting READ_REPORT requests, under `lock` */
    ULONG readsPending;
    BOOLEAN removed, started;
};

/* The node of the input interface while it is plugged in. */
static struct Node* inputNode;

/* The class driver's routines, saved after HidRegisterMinidriver. */
static PDRIVER_DISPATCH classCreate, classClose, classCleanup, classControl, classRead, classWrite;

static struct Node* NodeOf(DEVICE_OBJECT* device) {
    T47_HID_DEVICE_EXTENSION* extension = device->DeviceExtension;
    return extension->MiniDeviceExtension;
}

static DEVICE_OBJECT* LowerDeviceOf(DEVICE_OBJECT* device) {
    T47_HID_DEVICE_EXTENSION* extension = device->DeviceExtension;
    return extension->NextDeviceObject;
}

static struct StoredReport* FindStoredReport(UCHAR id) {
    ULONG i;
    for (i = 0; i < kStoredReportCount; i++) {
        if (storedReports[i].id == id) {
            return &storedReports[i];
        }
    }
    return 0;
}

static ULONG Smaller(ULONG a, ULONG b) {
    return a < b ? a : b;
}

/* Caller holds `lock`. */
static void LogTransfer(UCHAR op, UCHAR id, NTSTATUS status, ULONG length, const UCHAR* data,
                        ULONG dataLength) {
    struct LogRecord* record = &logRing[nextSeq % T47_MOUSE_LOG_DEPTH];
    dataLength = Smaller(dataLength, T47_MOUSE_FEATURE_MAX);
    record->seq = nextSeq++;
    record->qpc = KeQueryPerformanceCounter(0).QuadPart;
    record->op = op;
    record->reportId = id;
    record->status = status;
    record->length = length;
    record->dataLength = dataLength;
    if (dataLength) {
        RtlCopyMemory(record->data, data, dataLength);
    }
}

/* Caller holds `lock`: the status this transfer is refused with, or success. */
static NTSTATUS TakeRefusal(ULONG kind) {
    if (!refusalsLeft || !(refusalKinds & kind)) {
        return STATUS_SUCCESS;
    }
    refusalsLeft--;
    return refusalStatus;
}

/* Caller holds `lock`. */
static void ResetState(void) {
    ULONG i;
    for (i = 0; i < kStoredReportCount; i++) {
        RtlZeroMemory(storedReports[i].bytes, storedReports[i].length);
        storedReports[i].bytes[0] = storedReports[i].id;
    }
    nextSeq = 1;
    refusalsLeft = refusalKinds = 0;
    refusalStatus = STATUS_UNSUCCESSFUL;
    inputHead = inputCount = 0;
    RtlCopyMemory(lastInput, kFirstInput, sizeof(kFirstInput));
    lastInputLength = sizeof(kFirstInput);
    vendorId = T47_MOUSE_DEFAULT_VENDOR;
    productId = T47_MOUSE_DEFAULT_PRODUCT;
}

static void CompleteRead(IRP* irp, const UCHAR* report, ULONG length) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    ULONG n = Smaller(length, stack->Parameters.DeviceIoControl.OutputBufferLength);
    RtlCopyMemory(irp->UserBuffer, report, n);
    irp->IoStatus.Information = n;
    irp->IoStatus.Status = STATUS_SUCCESS;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
}

/* Hands an input report to the class driver's waiting read, or keeps it until the class driver
 * asks again (it always keeps one read waiting, and asks again at once). Refused while the input
 * node is absent: the class driver's first read after a plug would take it before any program
 * could have opened the interface. */
static NTSTATUS SendInput(const UCHAR* report, ULONG length) {
    LIST_ENTRY* entry = 0;
    NTSTATUS status = STATUS_SUCCESS;
    KIRQL irql;

    if (!length || length > T47_MOUSE_INPUT_MAX) {
        return STATUS_INVALID_PARAMETER;
    }
    KeAcquireSpinLock(&lock, &irql);
    if (!inputNode || inputNode->removed) {
        status = STATUS_DEVICE_NOT_CONNECTED;
    } else if (!IsListEmpty(&inputNode->reads)) {
        entry = RemoveHeadList(&inputNode->reads);
        inputNode->readsPending--;
    } else if (inputCount < T47_MOUSE_INPUT_DEPTH) {
        ULONG slot = (inputHead + inputCount++) % T47_MOUSE_INPUT_DEPTH;
        RtlCopyMemory(inputQueue[slot], report, length);
        inputLengths[slot] = length;
    } else {
        status = STATUS_DEVICE_BUSY;
    }
    if (NT_SUCCESS(status)) {
        RtlCopyMemory(lastInput, report, length);
        lastInputLength = length;
    }
    KeReleaseSpinLock(&lock, irql);

    if (entry) {
        CompleteRead(CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry), report, length);
    }
    return status;
}

/* Ends every waiting read of the node, as a device that went away does. */
static void EndReads(struct Node* node, BOOLEAN removed) {
    for (;;) {
        LIST_ENTRY* entry;
        KIRQL irql;
        IRP* irp;

        KeAcquireSpinLock(&lock, &irql);
        node->removed = removed;
        entry = IsListEmpty(&node->reads) ? 0 : RemoveHeadList(&node->reads);
        if (entry) {
            node->readsPending--;
        }
        KeReleaseSpinLock(&lock, irql);
        if (!entry) {
            return;
        }
        irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        irp->IoStatus.Information = 0;
        irp->IoStatus.Status = STATUS_DELETE_PENDING;
        IoCompleteRequest(irp, IO_NO_INCREMENT);
    }
}

/* ---- the class driver's requests ---------------------------------------------------------- */

static NTSTATUS NTAPI DispatchPnp(DEVICE_OBJECT* device, IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    struct Node* node = NodeOf(device);
    KIRQL irql;

    switch (stack->MinorFunction) {
        case IRP_MN_START_DEVICE:
            KeAcquireSpinLock(&lock, &irql);
            if (!node->started) {
                nodesStarted++;
            }
            node->started = TRUE;
            node->removed = FALSE;
            if (node->collection == kInputNode) {
                inputNode = node;
            }
            KeReleaseSpinLock(&lock, irql);
            irp->IoStatus.Status = STATUS_SUCCESS;
            break;
        case IRP_MN_CANCEL_REMOVE_DEVICE:
            node->removed = FALSE;
            irp->IoStatus.Status = STATUS_SUCCESS;
            break;
        case IRP_MN_QUERY_REMOVE_DEVICE:
        case IRP_MN_SURPRISE_REMOVAL:
            EndReads(node, TRUE);
            irp->IoStatus.Status = STATUS_SUCCESS;
            break;
        case IRP_MN_REMOVE_DEVICE:
            EndReads(node, TRUE);
            KeAcquireSpinLock(&lock, &irql);
            if (inputNode == node) {
                inputNode = 0;
                inputHead = inputCount = 0;
            }
            if (node->started) {
                nodesStarted--;
            }
            node->started = FALSE;
            KeReleaseSpinLock(&lock, irql);
            irp->IoStatus.Status = STATUS_SUCCESS;
            break;
        case IRP_MN_STOP_DEVICE:
            irp->IoStatus.Status = STATUS_SUCCESS;
            break;
        default:
            break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(LowerDeviceOf(device), irp);
}

static NTSTATUS NTAPI DispatchPower(DEVICE_OBJECT* device, IRP* irp) {
    PoStartNextPowerIrp(irp);
    IoSkipCurrentIrpStackLocation(irp);
    return PoCallDriver(LowerDeviceOf(device), irp);
}

static NTSTATUS GetString(IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    ULONG id = (ULONG)(ULONG_PTR)stack->Parameters.DeviceIoControl.Type3InputBuffer & 0xFFFF;
    ULONG room = stack->Parameters.DeviceIoControl.OutputBufferLength;
    const WCHAR* text;
    ULONG bytes = 0;

    switch (id) {
        case 1:
        case T47_HID_STRING_MANUFACTURER:
            text = L"Norvane";
            break;
        case 2:
        case T47_HID_STRING_PRODUCT:
            text = L"Norvane T47 (virtual)";
            break;
        case 3:
        case T47_HID_STRING_SERIAL_NUMBER:
            text = L"T47VIRTUAL";
            break;
        default:
            return STATUS_INVALID_PARAMETER;
    }
    while (text[bytes / sizeof(WCHAR)]) {
        bytes += sizeof(WCHAR);
    }
    bytes += sizeof(WCHAR);
    if (room < bytes) {
        return STATUS_BUFFER_TOO_SMALL;
    }
    RtlCopyMemory(irp->UserBuffer, text, bytes);
    irp->IoStatus.Information = bytes;
    return STATUS_SUCCESS;
}

static NTSTATUS GetFeature(T47_HID_XFER_PACKET* packet, IRP* irp) {
    struct StoredReport* report = FindStoredReport(packet->reportId);
    NTSTATUS status;
    ULONG n;
    KIRQL irql;

    if (!report) {
        return STATUS_INVALID_PARAMETER;
    }
    n = Smaller(packet->reportBufferLen, report->length);
    KeAcquireSpinLock(&lock, &irql);
    status = TakeRefusal(T47_MOUSE_REFUSE_GET);
    if (NT_SUCCESS(status)) {
        RtlCopyMemory(packet->reportBuffer, report->bytes, n);
    } else {
        n = 0;
    }
    LogTransfer(T47_MOUSE_LOG_GET, report->id, status, packet->reportBufferLen,
                packet->reportBuffer, n);
    KeReleaseSpinLock(&lock, irql);
    irp->IoStatus.Information = n;
    return status;
}

static NTSTATUS SetFeature(T47_HID_XFER_PACKET* packet, IRP* irp) {
    struct StoredReport* report = FindStoredReport(packet->reportId);
    NTSTATUS status;
    ULONG n;
    KIRQL irql;

    if (!report || !packet->reportBufferLen) {
        return STATUS_INVALID_PARAMETER;
    }
    n = Smaller(packet->reportBufferLen, report->length);
    KeAcquireSpinLock(&lock, &irql);
    status = TakeRefusal(T47_MOUSE_REFUSE_SET);
    LogTransfer(T47_MOUSE_LOG_SET, report->id, status, packet->reportBufferLen,
                packet->reportBuffer, packet->reportBufferLen);
    if (NT_SUCCESS(status)) {
        RtlCopyMemory(report->bytes, packet->reportBuffer, n);
        report->bytes[0] = report->id;
    }
    KeReleaseSpinLock(&lock, irql);
    irp->IoStatus.Information = NT_SUCCESS(status) ? n : 0;
    return status;
}

static NTSTATUS ReadReport(struct Node* node, IRP* irp) {
    UCHAR report[T47_MOUSE_INPUT_MAX];
    ULONG length;
    KIRQL irql;

    KeAcquireSpinLock(&lock, &irql);
    if (node == inputNode && inputCount) {
        length = inputLengths[inputHead];
        RtlCopyMemory(report, inputQueue[inputHead], length);
        inputHead = (inputHead + 1) % T47_MOUSE_INPUT_DEPTH;
        inputCount--;
        KeReleaseSpinLock(&lock, irql);
        CompleteRead(irp, report, length);
        return STATUS_SUCCESS;
    }
    IoMarkIrpPending(irp);
    InsertTailList(&node->reads, &irp->Tail.Overlay.ListEntry);
    node->readsPending++;
    KeReleaseSpinLock(&lock, irql);
    return STATUS_PENDING;
}

static NTSTATUS GetInputReport(T47_HID_XFER_PACKET* packet, IRP* irp) {
    NTSTATUS status = STATUS_INVALID_PARAMETER;
    KIRQL irql;

    KeAcquireSpinLock(&lock, &irql);
    if (packet->reportId == lastInput[0]) {
        ULONG n = Smaller(packet->reportBufferLen, lastInputLength);
        RtlCopyMemory(packet->reportBuffer, lastInput, n);
        irp->IoStatus.Information = n;
        status = STATUS_SUCCESS;
    }
    KeReleaseSpinLock(&lock, irql);
    return status;
}

static NTSTATUS NTAPI DispatchInternalControl(DEVICE_OBJECT* device, IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    struct Node* node = NodeOf(device);
    ULONG room = stack->Parameters.DeviceIoControl.OutputBufferLength;
    NTSTATUS status;

    irp->IoStatus.Information = 0;
    if (node->removed) {
        status = STATUS_DELETE_PENDING;
    } else {
        switch (stack->Parameters.DeviceIoControl.IoControlCode) {
            case T47_HID_GET_DEVICE_DESCRIPTOR: {
                T47_HID_DESCRIPTOR* descriptor = irp->UserBuffer;
                if (room < sizeof(*descriptor)) {
                    status = STATUS_BUFFER_TOO_SMALL;
                    break;
                }
                RtlZeroMemory(descriptor, sizeof(*descriptor));
                descriptor->bLength = sizeof(*descriptor);
                descriptor->bDescriptorType = 0x21; /* HID */
                descriptor->bcdHID = 0x0111;
                descriptor->bNumDescriptors = 1;
                descriptor->DescriptorList[0].bReportType = 0x22; /* report descriptor */
                descriptor->DescriptorList[0].wReportLength = kCollections[node->collection].length;
                irp->IoStatus.Information = sizeof(*descriptor);
                status = STATUS_SUCCESS;
                break;
            }
            case T47_HID_GET_REPORT_DESCRIPTOR:
                if (room < kCollections[node->collection].length) {
                    status = STATUS_BUFFER_TOO_SMALL;
                    break;
                }
                RtlCopyMemory(irp->UserBuffer, kCollections[node->collection].data,
                              kCollections[node->collection].length);
                irp->IoStatus.Information = kCollections[node->collection].length;
                status = STATUS_SUCCESS;
                break;
            case T47_HID_GET_DEVICE_ATTRIBUTES: {
                T47_HID_DEVICE_ATTRIBUTES* attributes = irp->UserBuffer;
                KIRQL irql;
                if (room < sizeof(*attributes)) {
                    status = STATUS_BUFFER_TOO_SMALL;
                    break;
                }
                RtlZeroMemory(attributes, sizeof(*attributes));
                attributes->Size = sizeof(*attributes);
                KeAcquireSpinLock(&lock, &irql);
                attributes->VendorID = vendorId;
                attributes->ProductID = productId;
                KeReleaseSpinLock(&lock, irql);
                attributes->VersionNumber = kVersionNumber;
                irp->IoStatus.Information = sizeof(*attributes);
                status = STATUS_SUCCESS;
                break;
            }
            case T47_HID_READ_REPORT:
                return ReadReport(node, irp);
            case T47_HID_GET_INPUT_REPORT:
                status = GetInputReport(irp->UserBuffer, irp);
                break;
            case T47_HID_GET_FEATURE:
                status = GetFeature(irp->UserBuffer, irp);
                break;
            case T47_HID_SET_FEATURE:
                status = SetFeature(irp->UserBuffer, irp);
                break;
            case T47_HID_GET_STRING:
                status = GetString(irp);
                break;
            case T47_HID_ACTIVATE_DEVICE:
            case T47_HID_DEACTIVATE_DEVICE:
                status = STATUS_SUCCESS;
                break;
            default: /* output reports among them: the mouse has none */
                status = STATUS_NOT_SUPPORTED;
                break;
        }
    }
    irp->IoStatus.Status = status;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* ---- the control device ------------------------------------------------------------------- */

static NTSTATUS ControlSetReport(const UCHAR* in, ULONG inLength) {
    struct StoredReport* report = inLength ? FindStoredReport(in[0]) : 0;
    KIRQL irql;

    if (!report || inLength > report->length) {
        return STATUS_INVALID_PARAMETER;
    }
    KeAcquireSpinLock(&lock, &irql);
    RtlZeroMemory(report->bytes, report->length);
    RtlCopyMemory(report->bytes, in, inLength);
    KeReleaseSpinLock(&lock, irql);
    return STATUS_SUCCESS;
}

static NTSTATUS ControlGetReport(UCHAR* buffer, ULONG inLength, ULONG outLength,
                                 ULONG_PTR* written) {
    struct StoredReport* report = inLength ? FindStoredReport(buffer[0]) : 0;
    KIRQL irql;

    if (!report) {
        return STATUS_INVALID_PARAMETER;
    }
    if (outLength < report->length) {
        return STATUS_BUFFER_TOO_SMALL;
    }
    KeAcquireSpinLock(&lock, &irql);
    RtlCopyMemory(buffer, report->bytes, report->length);
    KeReleaseSpinLock(&lock, irql);
    *written = report->length;
    return STATUS_SUCCESS;
}

static NTSTATUS ControlGetLog(UCHAR* buffer, ULONG inLength, ULONG outLength, ULONG_PTR* written) {
    T47_MOUSE_LOG_HEADER* header = (T47_MOUSE_LOG_HEADER*)buffer;
    ULONG seq = 0, oldest, position = sizeof(*header);
    KIRQL irql;

    if (inLength >= sizeof(ULONG)) {
        seq = *(const ULONG*)buffer;
    }
    if (outLength < sizeof(*header)) {
        return STATUS_BUFFER_TOO_SMALL;
    }
    KeAcquireSpinLock(&lock, &irql);
    oldest = nextSeq > T47_MOUSE_LOG_DEPTH ? nextSeq - T47_MOUSE_LOG_DEPTH : 1;
    if (seq < oldest) {
        seq = oldest;
    }
    header->count = 0;
    header->oldestSeq = oldest;
    header->reserved = 0;
    header->qpcFrequency = qpcFrequency;
    for (; seq < nextSeq; seq++) {
        const struct LogRecord* record = &logRing[seq % T47_MOUSE_LOG_DEPTH];
        ULONG size = (T47_MOUSE_LOG_ENTRY_HEADER + record->dataLength + 7) & ~7u;
        T47_MOUSE_LOG_ENTRY* entry = (T47_MOUSE_LOG_ENTRY*)(buffer + position);
        if (outLength - position < size) {
            break;
        }
        RtlZeroMemory(entry, size);
        entry->entrySize = size;
        entry->seq = record->seq;
        entry->qpc = record->qpc;
        entry->op = record->op;
        entry->reportId = record->reportId;
        entry->status = record->status;
        entry->length = record->length;
        entry->dataLength = record->dataLength;
        RtlCopyMemory(entry->data, record->data, record->dataLength);
        position += size;
        header->count++;
    }
    header->nextSeq = seq;
    KeReleaseSpinLock(&lock, irql);
    *written = position;
    return STATUS_SUCCESS;
}

static NTSTATUS ControlGetStatus(UCHAR* buffer, ULONG outLength, ULONG_PTR* written) {
    T47_MOUSE_STATUS* status = (T47_MOUSE_STATUS*)buffer;
    KIRQL irql;

    if (outLength < sizeof(*status)) {
        return STATUS_BUFFER_TOO_SMALL;
    }
    RtlZeroMemory(status, sizeof(*status));
    KeAcquireSpinLock(&lock, &irql);
    status->version = T47_MOUSE_CONTROL_VERSION;
    status->nodes = nodesStarted;
    status->inputNode = inputNode && !inputNode->removed;
    status->readsPending = inputNode ? inputNode->readsPending : 0;
    status->inputsQueued = inputCount;
    status->nextSeq = nextSeq;
    status->refusalsLeft = refusalsLeft;
    status->refusalKinds = refusalKinds;
    status->vendorId = vendorId;
    status->productId = productId;
    status->resets = resets;
    status->qpcFrequency = qpcFrequency;
    status->loadedQpc = loadedQpc;
    KeReleaseSpinLock(&lock, irql);
    *written = sizeof(*status);
    return STATUS_SUCCESS;
}

static NTSTATUS ControlRequest(IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    UCHAR* buffer = irp->AssociatedIrp.SystemBuffer;
    ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    ULONG_PTR written = 0;
    NTSTATUS status;
    KIRQL irql;

    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
        case IOCTL_T47_MOUSE_SET_REPORT:
            status = ControlSetReport(buffer, inLength);
            break;
        case IOCTL_T47_MOUSE_GET_REPORT:
            status = ControlGetReport(buffer, inLength, outLength, &written);
            break;
        case IOCTL_T47_MOUSE_GET_LOG:
            status = ControlGetLog(buffer, inLength, outLength, &written);
            break;
        case IOCTL_T47_MOUSE_REFUSE: {
            const T47_MOUSE_REFUSAL* refusal = (const T47_MOUSE_REFUSAL*)buffer;
            if (inLength < sizeof(*refusal)) {
                status = STATUS_INVALID_PARAMETER;
                break;
            }
            KeAcquireSpinLock(&lock, &irql);
            refusalsLeft = refusal->count;
            refusalKinds = refusal->kinds & (T47_MOUSE_REFUSE_SET | T47_MOUSE_REFUSE_GET);
            /* A success status would make a refused transfer succeed with no data. */
            refusalStatus = refusal->status < 0 ? refusal->status : STATUS_UNSUCCESSFUL;
            KeReleaseSpinLock(&lock, irql);
            status = STATUS_SUCCESS;
            break;
        }
        case IOCTL_T47_MOUSE_SEND_INPUT:
            status = SendInput(buffer, inLength);
            break;
        case IOCTL_T47_MOUSE_RESET:
            KeAcquireSpinLock(&lock, &irql);
            ResetState();
            resets++;
            KeReleaseSpinLock(&lock, irql);
            status = STATUS_SUCCESS;
            break;
        case IOCTL_T47_MOUSE_GET_STATUS:
            status = ControlGetStatus(buffer, outLength, &written);
            break;
        case IOCTL_T47_MOUSE_SET_IDS: {
            const T47_MOUSE_IDS* ids = (const T47_MOUSE_IDS*)buffer;
            if (inLength < sizeof(*ids)) {
                status = STATUS_INVALID_PARAMETER;
                break;
            }
            KeAcquireSpinLock(&lock, &irql);
            vendorId = ids->vendorId;
            productId = ids->productId;
            KeReleaseSpinLock(&lock, irql);
            status = STATUS_SUCCESS;
            break;
        }
        default:
            status = STATUS_INVALID_DEVICE_REQUEST;
            break;
    }
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = NT_SUCCESS(status) ? written : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS CompleteControl(IRP* irp, NTSTATUS status) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* The control device is ours; every other device of this driver object is the class driver's. */

static NTSTATUS NTAPI DispatchCreate(DEVICE_OBJECT* device, IRP* irp) {
    return device == controlDevice ? CompleteControl(irp, STATUS_SUCCESS)
                                   : classCreate(device, irp);
}

static NTSTATUS NTAPI DispatchClose(DEVICE_OBJECT* device, IRP* irp) {
    return device == controlDevice ? CompleteControl(irp, STATUS_SUCCESS) : classClose(device, irp);
}

static NTSTATUS NTAPI DispatchCleanup(DEVICE_OBJECT* device, IRP* irp) {
    return device == controlDevice ? CompleteControl(irp, STATUS_SUCCESS)
                                   : classCleanup(device, irp);
}

static NTSTATUS NTAPI DispatchControl(DEVICE_OBJECT* device, IRP* irp) {
    return device == controlDevice ? ControlRequest(irp) : classControl(device, irp);
}

static NTSTATUS NTAPI DispatchRead(DEVICE_OBJECT* device, IRP* irp) {
    return device == controlDevice ? CompleteControl(irp, STATUS_INVALID_DEVICE_REQUEST)
                                   : classRead(device, irp);
}

static NTSTATUS NTAPI DispatchWrite(DEVICE_OBJECT* device, IRP* irp) {
    return device == controlDevice ? CompleteControl(irp, STATUS_INVALID_DEVICE_REQUEST)
                                   : classWrite(device, irp);
}

/* ---- device nodes ------------------------------------------------------------------------- */

/* n of "...COL0n..." in the node's first hardware id; 0 when it names none of the four. */
static ULONG CollectionOf(DEVICE_OBJECT* physicalDevice) {
    WCHAR ids[256];
    ULONG length = 0, i;

    RtlZeroMemory(ids, sizeof(ids));
    if (!NT_SUCCESS(IoGetDeviceProperty(physicalDevice, DevicePropertyHardwareID,
                                        sizeof(ids) - sizeof(WCHAR), ids, &length))) {
        return 0;
    }
    for (i = 0; i + 4 < 255 && ids[i]; i++) {
        if ((ids[i] | 0x20) == 'c' && (ids[i + 1] | 0x20) == 'o' && (ids[i + 2] | 0x20) == 'l' &&
            ids[i + 3] == '0' && ids[i + 4] >= '1' && ids[i + 4] <= '4') {
            return ids[i + 4] - '0';
        }
    }
    return 0;
}

static NTSTATUS NTAPI AddDevice(DRIVER_OBJECT* driver, DEVICE_OBJECT* device) {
    T47_HID_DEVICE_EXTENSION* extension = device->DeviceExtension;
    struct Node* node = NodeOf(device);

    (void)driver;
    node->collection = CollectionOf(extension->PhysicalDeviceObject);
    if (!node->collection) {
        return STATUS_NOT_SUPPORTED;
    }
    InitializeListHead(&node->reads);
    node->readsPending = 0;
    node->removed = FALSE;
    node->started = FALSE;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

static void NTAPI Unload(DRIVER_OBJECT* driver) {
    (void)driver;
    if (controlDevice) {
        IoDeleteSymbolicLink(&controlLink);
        IoDeleteDevice(controlDevice);
        controlDevice = 0;
    }
}

static void CreateControlDevice(DRIVER_OBJECT* driver) {
    UNICODE_STRING name;

    RtlInitUnicodeString(&name, T47_MOUSE_CONTROL_DEVICE);
    RtlInitUnicodeString(&controlLink, T47_MOUSE_CONTROL_LINK);
    if (!NT_SUCCESS(IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, FILE_DEVICE_SECURE_OPEN,
                                   FALSE, &controlDevice))) {
        controlDevice = 0;
        return;
    }
    if (!NT_SUCCESS(IoCreateSymbolicLink(&controlLink, &name))) {
        IoDeleteDevice(controlDevice);
        controlDevice = 0;
        return;
    }
    controlDevice->Flags |= DO_BUFFERED_IO;
    controlDevice->Flags &= ~DO_DEVICE_INITIALIZING;
}

NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath) {
    T47_HID_MINIDRIVER_REGISTRATION registration;
    LARGE_INTEGER frequency;
    NTSTATUS status;

    KeInitializeSpinLock(&lock);
    loadedQpc = KeQueryPerformanceCounter(&frequency).QuadPart;
    qpcFrequency = frequency.QuadPart;
    ResetState();

    driver->DriverExtension->AddDevice = AddDevice;
    driver->DriverUnload = Unload;
    driver->MajorFunction[IRP_MJ_PNP] = DispatchPnp;
    driver->MajorFunction[IRP_MJ_POWER] = DispatchPower;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = DispatchInternalControl;

    RtlZeroMemory(&registration, sizeof(registration));
    registration.Revision = 1;
    registration.DriverObject = driver;
    registration.RegistryPath = registryPath;
    registration.DeviceExtensionSize = sizeof(struct Node);
    registration.DevicesArePolled = FALSE;
    status = HidRegisterMinidriver(&registration);
    if (!NT_SUCCESS(status)) {
        return status;
    }

    classCreate = driver->MajorFunction[IRP_MJ_CREATE];
    classClose = driver->MajorFunction[IRP_MJ_CLOSE];
    classCleanup = driver->MajorFunction[IRP_MJ_CLEANUP];
    classControl = driver->MajorFunction[IRP_MJ_DEVICE_CONTROL];
    classRead = driver->MajorFunction[IRP_MJ_READ];
    classWrite = driver->MajorFunction[IRP_MJ_WRITE];
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreate;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchCleanup;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    driver->MajorFunction[IRP_MJ_READ] = DispatchRead;
    driver->MajorFunction[IRP_MJ_WRITE] = DispatchWrite;

    CreateControlDevice(driver);
    return STATUS_SUCCESS;
}
