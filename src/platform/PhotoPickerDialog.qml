import QtQuick
import QtQuick.Dialogs
import Dayloom.Platform

// The platform file dialog, offering images only. What the user picks lands in `picker`:
//   PhotoPickerDialog { id: dialog; picker.selectionLimit: 30
//                       picker.onItemsChanged: if (picker.count > 0) { store.importPhotos(picker); picker.clear() } }
FileDialog {
    readonly property PhotoPicker picker: PhotoPicker {}

    fileMode: picker.selectionLimit === 1 ? FileDialog.OpenFile : FileDialog.OpenFiles
    nameFilters: picker.nameFilters
    onAccepted: picker.choose(selectedFiles)
}
