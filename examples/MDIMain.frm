VERSION 5.00
Begin VB.MDIForm MDIMain 
   BackColor       =   &H8000000C&
   Caption         =   "Tolvane example documents"
   ClientHeight    =   4965
   ClientLeft      =   165
   ClientTop       =   855
   ClientWidth     =   7020
   LinkTopic       =   "MDIForm1"
   StartUpPosition =   3  'Windows Default
   Begin VB.PictureBox picToolbar 
      Align           =   1  'Align Top
      Height          =   495
      Left            =   0
      ScaleHeight     =   435
      ScaleWidth      =   6960
      TabIndex        =   0
      Top             =   0
      Width           =   7020
      Begin VB.CommandButton cmdNew 
         Caption         =   "&New"
         Height          =   375
         Left            =   60
         TabIndex        =   1
         Top             =   30
         Width           =   975
      End
   End
   Begin VB.Menu mnuWindow 
      Caption         =   "&Window"
      WindowList      =   -1  'True
      Begin VB.Menu mnuWindowCascade 
         Caption         =   "&Cascade"
      End
   End
End
Attribute VB_Name = "MDIMain"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub cmdNew_Click()
    Dim document As New frmDocument
    document.Show
End Sub

Private Sub mnuWindowCascade_Click()
    Me.Arrange vbCascade
End Sub
