/*
 * What a HID minidriver needs of the HID class driver, with the documented Windows values.
 * mingw-w64 ships no hidport.h, and its ddk/hidclass.h numbers the minidriver control codes
 * differently from Windows, so they are declared here.
 */
#ifndef T47_HID_MINIDRIVER_H
#define T47_HID_MINIDRIVER_H

#define T47_HID_CODE(id) CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_NEITHER, FILE_ANY_ACCESS)
#define T47_HID_IN_CODE(id) CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_IN_DIRECT, FILE_ANY_ACCESS)
#define T47_HID_OUT_CODE(id) \
    CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_OUT_DIRECT, FILE_ANY_ACCESS)

/* Internal control codes the class driver sends the minidriver. */
#define T47_HID_GET_DEVICE_DESCRIPTOR T47_HID_CODE(0)
#define T47_HID_GET_REPORT_DESCRIPTOR T47_HID_CODE(1)
#define T47_HID_READ_REPORT T47_HID_CODE(2)
#define T47_HID_WRITE_REPORT T47_HID_CODE(3)
#define T47_HID_GET_STRING T47_HID_CODE(4)
#define T47_HID_ACTIVATE_DEVICE T47_HID_CODE(7)
#define T47_HID_DEACTIVATE_DEVICE T47_HID_CODE(8)
#define T47_HID_GET_DEVICE_ATTRIBUTES T47_HID_CODE(9)
#define T47_HID_GET_FEATURE T47_HID_OUT_CODE(100)
#define T47_HID_SET_FEATURE T47_HID_IN_CODE(100)
#define T47_HID_SET_OUTPUT_REPORT T47_HID_IN_CODE(101)
#define T47_HID_GET_INPUT_REPORT T47_HID_OUT_CODE(104)

/* String ids: Windows asks for these; Wine 8 asks for 1, 2 and 3. */
#define T47_HID_STRING_MANUFACTURER 14
#define T47_HID_STRING_PRODUCT 15
#define T47_HID_STRING_SERIAL_NUMBER 16

typedef struct {
    ULONG Revision;
    PDRIVER_OBJECT DriverObject;
    PUNICODE_STRING RegistryPath;
    ULONG DeviceExtensionSize;
    BOOLEAN DevicesArePolled;
    UCHAR Reserved[3];
} T47_HID_MINIDRIVER_REGISTRATION;

typedef struct {
    PDEVICE_OBJECT PhysicalDeviceObject;
    PDEVICE_OBJECT NextDeviceObject;
    PVOID MiniDeviceExtension;
} T47_HID_DEVICE_EXTENSION;

typedef struct {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
    USHORT Reserved[11];
} T47_HID_DEVICE_ATTRIBUTES;

#pragma pack(push, 1)
typedef struct {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdHID;
    UCHAR bCountry;
    UCHAR bNumDescriptors;
    struct {
        UCHAR bReportType;
        USHORT wReportLength;
    } DescriptorList[1];
} T47_HID_DESCRIPTOR;
#pragma pack(pop)

typedef struct {
    PUCHAR reportBuffer;
    ULONG reportBufferLen;
    UCHAR reportId;
} T47_HID_XFER_PACKET;

NTSTATUS NTAPI HidRegisterMinidriver(T47_HID_MINIDRIVER_REGISTRATION* registration);

#endif
