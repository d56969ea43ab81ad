; A real installer for the end-to-end run, made by NSIS: at its start it reads its own file (it
; checks its CRC and takes its script from there), so it runs only where it can read the file it
; was started from. It shows nothing and leaves "<its own path>.ran" beside itself.
;   makensis -DOUT=<installer.exe> NsisInstaller.nsi
Unicode false
Name "Quillmoor NSIS stand-in"
OutFile "${OUT}"
RequestExecutionLevel user
SilentInstall silent
CRCCheck force

Section
  FileOpen $0 "$EXEPATH.ran" w
  FileWrite $0 "ran"
  FileClose $0
SectionEnd
