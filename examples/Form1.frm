VERSION 5.00
Begin VB.Form Form1 
   Caption         =   "Tolvane example"
   ClientHeight    =   5415
   ClientLeft      =   165
   ClientTop       =   855
   ClientWidth     =   7455
   LinkTopic       =   "Form1"
   ScaleHeight     =   5415
   ScaleWidth      =   7455
   StartUpPosition =   3  'Windows Default
   Begin VB.Timer tmrClock 
      Interval        =   1000
      Left            =   6840
      Top             =   4800
   End
   Begin VB.Frame fraOptions 
      Caption         =   "Options"
      Height          =   2775
      Left            =   120
      TabIndex        =   0
      Top             =   120
      Width           =   3495
      Begin VB.CheckBox chkBold 
         Caption         =   "&Bold"
         Height          =   255
         Left            =   120
         TabIndex        =   1
         Top             =   360
         Width           =   1575
      End
      Begin VB.CheckBox chkItalic 
         Caption         =   "&Italic"
         Height          =   255
         Left            =   120
         TabIndex        =   2
         Top             =   720
         Width           =   1575
      End
      Begin VB.PictureBox picColours 
         BorderStyle     =   0  'None
         Height          =   1335
         Left            =   120
         ScaleHeight     =   1335
         ScaleWidth      =   3255
         TabIndex        =   3
         Top             =   1200
         Width           =   3255
         Begin VB.OptionButton optColour 
            Caption         =   "Red"
            Height          =   255
            Index           =   0
            Left            =   0
            TabIndex        =   4
            Top             =   0
            Value           =   -1  'True
            Width           =   1215
         End
         Begin VB.OptionButton optColour 
            Caption         =   "Green"
            Height          =   255
            Index           =   1
            Left            =   0
            TabIndex        =   5
            Top             =   360
            Width           =   1215
         End
         Begin VB.OptionButton optColour 
            Caption         =   "Blue"
            Height          =   255
            Index           =   2
            Left            =   0
            TabIndex        =   6
            Top             =   720
            Width           =   1215
         End
      End
   End
   Begin VB.TextBox txtNotes 
      BeginProperty Font 
         Name            =   "Courier New"
         Size            =   9.75
         Charset         =   0
         Weight          =   400
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
      Height          =   2775
      Left            =   3720
      MultiLine       =   -1  'True
      ScrollBars      =   2  'Vertical
      TabIndex        =   7
      Text            =   "Type your notes here"
      Top             =   120
      Width           =   3615
   End
   Begin VB.Label lblStatus 
      Caption         =   "Ready: press ""OK"" to end"
      Height          =   255
      Left            =   120
      TabIndex        =   10
      Top             =   3360
      Width           =   7215
   End
   Begin VB.Line linSeparator 
      X1              =   120
      X2              =   7320
      Y1              =   3120
      Y2              =   3120
   End
   Begin VB.CommandButton cmdCancel 
      Cancel          =   -1  'True
      Caption         =   "Cancel"
      Height          =   375
      Left            =   6120
      TabIndex        =   9
      Top             =   4800
      Width           =   1215
   End
   Begin VB.CommandButton Command1 
      Caption         =   "&OK"
      Default         =   -1  'True
      Height          =   375
      Left            =   4800
      TabIndex        =   8
      Top             =   4800
      Width           =   1215
   End
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuFileOpen 
         Caption         =   "&Open..."
         Shortcut        =   ^O
      End
      Begin VB.Menu mnuFileRecent 
         Caption         =   "&Recent"
         Begin VB.Menu mnuRecent 
            Caption         =   "(none)"
            Index           =   0
         End
      End
      Begin VB.Menu mnuFileSep 
         Caption         =   "-"
      End
      Begin VB.Menu mnuFileExit 
         Caption         =   "E&xit"
      End
   End
End
Attribute VB_Name = "Form1"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub cmdCancel_Click()
    Unload Me
End Sub

Private Sub Command1_Click()
    Unload Me
End Sub

Private Sub mnuFileExit_Click()
    Unload Me
End Sub

Private Sub mnuFileOpen_Click()
    frmOptions.Show vbModal, Me
End Sub

Private Sub tmrClock_Timer()
    lblStatus.Caption = "Ready: " & Format$(Now, "hh:nn:ss")
End Sub
